#pragma once
// "--help" and "--version": the two requests that are answered on standard output and end the
// program with status 0 before anything else happens (no lock, no device, no window). Only an
// argument that is exactly one of them counts; everything else on the command line is left to the
// option reader, which never refuses an option.
#include <string>

namespace Orv {

enum class InformationRequest { None, Help, Version };

InformationRequest FindInformationRequest(int argc, const char* const* argv);

// The text printed for a request (empty for None).
std::string InformationText(InformationRequest request);

}  // namespace Orv
