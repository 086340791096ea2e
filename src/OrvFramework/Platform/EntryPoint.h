#pragma once
// The program's body, called by the platform's entry point with the command line as UTF-8: main on
// Linux, wWinMain on Windows (Windows/WinMain.cpp), which converts the UTF-16 arguments first.
namespace Orv::Platform {

// Defined by the program; answers the process's exit status.
int ProgramMain(int argc, char** argv);

}  // namespace Orv::Platform
