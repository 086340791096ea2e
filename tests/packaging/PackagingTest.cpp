// Installs the build into a temporary DESTDIR (prefix /usr) and checks what a user of the
// installed program gets: the files, the device rule, the desktop entry, the updater running from
// its installed place against the simulated Varnet, the registry script and the Debian package.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Simulator/SimulatorConfig.h"
#include "OrvFramework/System/IniFileManager.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int status = -1;  // exit status of the shell command, -1 when it did not end normally
    std::string output;
};

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command with standard error folded into the output. Every command that starts
// the updater is wrapped in `timeout`, so a hang fails the test instead of stalling it.
RunResult Shell(const std::string& command) {
    RunResult r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

bool HaveTool(const std::string& name) { return Shell("command -v " + Quote(name) + " >/dev/null").status == 0; }

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& p, const std::vector<unsigned char>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Hex4(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", v);
    return text;
}

// One installation per test process, shared by its tests.
class Packaging : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "varnet-pkg-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        s_temp = pattern;
        s_destDir = s_temp / "root";
        s_prefix = s_destDir / "usr";
        s_install = Shell("DESTDIR=" + Quote(s_destDir.string()) + " " + Quote(VARNET_CMAKE_COMMAND) + " --install " +
                          Quote(VARNET_BINARY_DIR) + " --prefix /usr");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!s_temp.empty()) fs::remove_all(s_temp, ec);
    }
    void SetUp() override {
        ASSERT_FALSE(s_temp.empty());
        ASSERT_EQ(s_install.status, 0) << s_install.output;
        m_work = s_temp / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_work);
        // Private, as a runtime folder must be for the updater to keep its lock there: each test's
        // program then holds a lock of its own and parallel tests do not meet.
        fs::permissions(m_work, fs::perms::owner_all, fs::perm_options::replace);
    }

    // The environment of one run of an installed program: everything it writes stays in the
    // test's own folder.
    std::string Environment() const {
        return "env -u VARNET_SIM_FAULTS -u VARNET_SIM_STATE -u VARNET_SIM_FLASH"
               " VARNET_REGISTRY_DIR=" +
               Quote((m_work / "registry").string()) + " XDG_RUNTIME_DIR=" + Quote(m_work.string()) +
               " HOME=" + Quote(m_work.string()) + " XDG_DATA_HOME=" + Quote((m_work / "data").string()) + " ";
    }

    RunResult RunUpdater(const std::string& simVersion, const std::string& options) const {
        return Shell(Environment() + "VARNET_DEVICE=simulated VARNET_SIM_LATENCY_MS=0 VARNET_SIM_VERSION=" +
                     simVersion + " VARNET_SIM_TRANSCRIPT=" + Quote((m_work / "transcript.txt").string()) +
                     " VARNET_SIM_FLASH_OUT=" + Quote((m_work / "flash.txt").string()) + " timeout 60 " +
                     Quote((s_prefix / "bin/varnet-updater").string()) + " " + options);
    }

    RunResult Suppressed(const std::string& extraEnvironment = {}) const {
        return Shell(Environment() + extraEnvironment + " " +
                     Quote((s_prefix / "bin/varnet-updater-suppressed").string()));
    }

    fs::path ValueFile(const std::string& extension = ".bin") const {
        return m_work / "registry/HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers" /
               "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate" / ("SuppressAutoUpdates" + extension);
    }

    static inline fs::path s_temp;
    static inline fs::path s_destDir;
    static inline fs::path s_prefix;
    static inline RunResult s_install;
    fs::path m_work;
};

bool IsExecutableFile(const fs::path& p) { return fs::is_regular_file(p) && ::access(p.c_str(), X_OK) == 0; }

TEST_F(Packaging, PutsEveryFileWhereTheProgramAndTheDesktopLookForIt) {
    const fs::path exe = s_prefix / "lib/varnet-updater/varnet-updater";
    EXPECT_TRUE(IsExecutableFile(exe));
    // The command users type is a relative link to the program, so the installed tree can move.
    const fs::path link = s_prefix / "bin/varnet-updater";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("../lib/varnet-updater/varnet-updater"));
    EXPECT_EQ(fs::canonical(link), fs::canonical(exe));

    EXPECT_TRUE(IsExecutableFile(s_prefix / "bin/varnet-image"));
    EXPECT_TRUE(IsExecutableFile(s_prefix / "bin/varnet-updater-suppressed"));
    EXPECT_TRUE(fs::is_regular_file(s_prefix / "lib/varnet-updater/libIniFileManager.so"));
    EXPECT_EQ(ReadText(s_prefix / "lib/varnet-updater/Varnet1.0.2.cyacd"),
              ReadText(fs::path(VARNET_SOURCE_DIR) / "resources/Varnet1.0.2.cyacd"));

    // Every manual page, compressed; the documentation folder Debian expects.
    for (const char* page : {"varnet-updater", "varnet-image", "varnet-updater-suppressed"})
        EXPECT_EQ(ReadText(s_prefix / "share/man/man1" / (std::string(page) + ".1.gz")).substr(0, 2), "\x1f\x8b")
            << page;
    const std::string copyright = ReadText(s_prefix / "share/doc/varnet-updater/copyright");
    EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/", 0), 0u)
        << copyright;
    EXPECT_EQ(ReadText(s_prefix / "share/doc/varnet-updater/README.md"),
              ReadText(fs::path(VARNET_SOURCE_DIR) / "README.md"));
}

// The PNG's width and height from its IHDR chunk; 0 x 0 when it is not a PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
    if (png.size() < 24 || png.substr(0, 8) != std::string("\x89PNG\r\n\x1a\n", 8) || png.substr(12, 4) != "IHDR")
        return {0, 0};
    auto be32 = [&](std::size_t at) {
        unsigned v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

TEST_F(Packaging, IconsAtEveryMenuSize) {
    for (unsigned size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::string icon = ReadText(s_prefix / "share/icons/hicolor" / folder / "apps/varnet-updater.png");
        EXPECT_EQ(PngSize(icon), std::make_pair(size, size)) << folder;
    }
    // The window shows the 48-pixel icon, embedded from the sources: it is the one drawn now.
    EXPECT_EQ(ReadText(fs::path(VARNET_SOURCE_DIR) / "resources/VarnetUpdaterIcon.png"),
              ReadText(s_prefix / "share/icons/hicolor/48x48/apps/varnet-updater.png"))
        << "run: varnet-make-icon resources/VarnetUpdater.png resources/VarnetUpdaterIcon.png 48";
}

TEST_F(Packaging, DeviceRuleGivesTheSeatUserBothModesOfTheVarnetOnly) {
    const std::string rules = ReadText(s_prefix / "lib/udev/rules.d/70-varnet.rules");
    ASSERT_FALSE(rules.empty());
    std::set<std::string> products;
    for (const std::string& line : Lines(rules)) {
        if (line.empty() || line[0] == '#') continue;
        EXPECT_NE(line.find("SUBSYSTEM==\"hidraw\""), std::string::npos) << line;
        EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
        EXPECT_NE(line.find("ATTRS{idVendor}==\"" + Hex4(Varnet::SimulatedVendorId) + "\""), std::string::npos) << line;
        const std::string marker = "ATTRS{idProduct}==\"";
        const std::size_t at = line.find(marker);
        ASSERT_NE(at, std::string::npos) << line;
        products.insert(line.substr(at + marker.size(), 4));
        // No permission wider than the seat's user.
        EXPECT_EQ(line.find("MODE"), std::string::npos) << line;
    }
    EXPECT_EQ(products, (std::set<std::string>{Hex4(Varnet::ApplicationProductId), Hex4(Varnet::BootloaderProductId)}));
}

TEST_F(Packaging, DesktopEntryStartsTheInstalledUpdaterInEveryLanguage) {
    const fs::path entry = s_prefix / "share/applications/varnet-updater.desktop";
    const std::string text = ReadText(entry);
    std::map<std::string, std::string> keys;
    for (const std::string& line : Lines(text))
        if (auto eq = line.find('='); eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Name"], "Varnet Firmware Updater");
    EXPECT_TRUE(IsExecutableFile(fs::canonical(s_prefix / "bin" / keys["Exec"])));
    EXPECT_EQ(keys["Icon"] + ".png", "varnet-updater.png");
    // The menu names the program as its window does (the main control's caption in each
    // language), which the texts pointing the user to the menu rely on.
    const std::string strings = ReadText(fs::path(VARNET_SOURCE_DIR) / "tools/strings/StringTables.xml");
    for (const char* language : {"es", "de", "ja", "fr", "it", "ko", "zh_TW", "zh_CN"}) {
        const std::string name = keys["Name[" + std::string(language) + "]"];
        const std::string comment = keys["Comment[" + std::string(language) + "]"];
        EXPECT_NE(strings.find(">" + name + "</Locale>"), std::string::npos) << language << ": " << name;
        EXPECT_FALSE(comment.empty()) << language;
        EXPECT_NE(comment, keys["Comment"]) << language;
    }
    if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    const RunResult check = Shell("desktop-file-validate " + Quote(entry.string()));
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output, "");
}

TEST_F(Packaging, UpdaterEndsQuietlyForACurrentDeviceAndFindsItsPluginBesideItself) {
    const RunResult run = RunUpdater("1.0.2", "-SILENT_IF_UPDATE_NOT_NEEDED");
    EXPECT_NE(run.status, 124) << "the updater did not end";
    EXPECT_EQ(run.output, "");
    const std::string transcript = ReadText(m_work / "transcript.txt");
    EXPECT_EQ(transcript.find("SWITCH"), std::string::npos) << transcript;
    EXPECT_EQ(ReadText(m_work / "flash.txt"), "");
    // Nothing was updated, so automatic updates are not held back.
    const std::string value = Suppressed().output;
    EXPECT_TRUE(value == "unset\n" || value == "0\n") << value;
    // The plug-in lies beside the real program (the link's target, not bin/); the updater loads it
    // from there at start-up and stores the skin it selected in the user settings.
    const fs::path settings = m_work / "data/Korvo/Varnet Firmware Updater/UserSettings.ini";
    EXPECT_NE(ReadText(settings).find("CurrentSkinIndex=0"), std::string::npos) << settings;
}

// The installed updater programs the installed image (what is flashed is checked row by row at
// the end-to-end level) and leaves the value the installed script reads: a forced downgrade keeps
// automatic updates held back.
TEST_F(Packaging, UpdatesFromTheInstalledImageAndLeavesTheValueForTheScript) {
    for (const auto& [version, options, value] :
         {std::tuple{"1.0.1", "-SILENT", "0\n"}, std::tuple{"1.0.3", "-SILENT -ALWAYS_UPDATE", "1\n"}}) {
        SCOPED_TRACE(options);
        fs::remove(m_work / "transcript.txt");
        fs::remove(m_work / "flash.txt");
        const RunResult run = RunUpdater(version, options);
        EXPECT_NE(run.status, 124) << "the updater did not end";
        EXPECT_NE(ReadText(m_work / "transcript.txt").find("SWITCH 00 12 34 00"), std::string::npos) << run.output;
        EXPECT_EQ(Lines(ReadText(m_work / "flash.txt")).size(), 65u) << run.output;
        const RunResult stored = Suppressed();
        EXPECT_EQ(stored.status, 0);
        EXPECT_EQ(stored.output, value);
    }
}

// The value as the updater stores it, read by the installed script: a text value takes precedence
// and is read as a number; anything damaged is reported, never taken as "not held back".
TEST_F(Packaging, RegistryScriptReadsTheStoredValueAndReportsADamagedOne) {
    EXPECT_EQ(Suppressed().output, "unset\n");
    using Bytes = std::vector<unsigned char>;
    const struct {
        const char* what;
        Bytes binary, text;
        int status;
        const char* output;
    } cases[] = {
        {"true", {0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {}, 0, "1\n"},
        {"false", {0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {}, 0, "0\n"},
        {"text 1 over false", {0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {'1', 0, 0, 0}, 0, "1\n"},
        {"text 0 over true", {0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {'0', 0, 0, 0}, 0, "0\n"},
        {"empty", {}, {}, 2, "invalid\n"},
        {"cut short", {0x0D, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, {}, 2, "invalid\n"},
        {"another kind", {0x0D, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1}, {}, 2, "invalid\n"},
        {"too long", {0x0E, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}, {}, 2, "invalid\n"},
        {"text not a number", {}, {'y', 0, 'e', 0, 's', 0, 0, 0}, 2, "invalid\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(ValueFile());
        fs::remove(ValueFile(".sz"));
        if (!c.binary.empty() || c.text.empty()) WriteBytes(ValueFile(), c.binary);
        if (!c.text.empty()) WriteBytes(ValueFile(".sz"), c.text);
        const RunResult r = Suppressed();
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.output.substr(0, std::string(c.output).size()), c.output) << r.output;
    }
    // The folder it reads is the one given to the updater.
    const RunResult r = Shell(Environment() + Quote((s_prefix / "bin/varnet-updater-suppressed").string()) + " --path");
    EXPECT_EQ(r.output, ValueFile().parent_path().string() + "\n");
}

TEST_F(Packaging, RegistryScriptFallsBackLikeTheUpdater) {
    // Without VARNET_REGISTRY_DIR the machine folder is used when it is (or can be made) writable,
    // else the user's data folder.
    const std::string script = Quote((s_prefix / "bin/varnet-updater-suppressed").string());
    const RunResult r = Shell(Environment() + "VARNET_REGISTRY_DIR= " + script + " --path");
    const bool machineUsable = ::access("/var/lib/varnet-updater/registry", W_OK) == 0 ||
                               (!fs::exists("/var/lib/varnet-updater") && ::access("/var/lib", W_OK) == 0);
    const std::string key =
        "/HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers/{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate\n";
    if (machineUsable) {
        EXPECT_EQ(r.output, "/var/lib/varnet-updater/registry" + key);
    } else {
        EXPECT_EQ(r.output, (m_work / "data/varnet-updater/registry").string() + key);
        const RunResult noData = Shell(Environment() + "VARNET_REGISTRY_DIR= XDG_DATA_HOME= " + script + " --path");
        EXPECT_EQ(noData.output, (m_work / ".local/share/varnet-updater/registry").string() + key);
    }
}

TEST_F(Packaging, DebianPackageCarriesTheFilesDependenciesAndScripts) {
    if (!HaveTool("dpkg-deb")) GTEST_SKIP() << "dpkg-deb is not installed";
    const fs::path out = m_work / "deb";
    const RunResult pack =
        Shell("timeout 100 " + Quote(VARNET_CPACK_COMMAND) + " --config " +
              Quote(std::string(VARNET_BINARY_DIR) + "/CPackConfig.cmake") + " -G DEB -B " + Quote(out.string()));
    ASSERT_EQ(pack.status, 0) << pack.output;
    std::string arch = Shell("dpkg --print-architecture").output;
    if (!arch.empty() && arch.back() == '\n') arch.pop_back();
    const fs::path deb = out / ("varnet-updater_1.0.2_" + arch + ".deb");
    ASSERT_TRUE(fs::is_regular_file(deb)) << pack.output;

    const std::string q = Quote(deb.string());
    EXPECT_EQ(Shell("dpkg-deb -f " + q + " Package").output, "varnet-updater\n");
    EXPECT_EQ(Shell("dpkg-deb -f " + q + " Version").output, "1.0.2\n");
    EXPECT_NE(Shell("dpkg-deb -f " + q + " Maintainer").output, "\n");
    const std::string depends = Shell("dpkg-deb -f " + q + " Depends").output;
    // The libraries, and the fonts that draw every shipped language.
    for (const char* lib : {"libsdl2-2.0-0", "libcairo2", "libpango-1.0-0", "libpangocairo-1.0-0", "libhidapi-hidraw0",
                            "libexpat1", "fonts-liberation", "fonts-wqy-microhei"})
        EXPECT_NE(depends.find(lib), std::string::npos) << lib << " missing from: " << depends;

    // Every installed file and link is in the package.
    const std::string contents = Shell("dpkg-deb -c " + q).output;
    for (const auto& entry : fs::recursive_directory_iterator(s_destDir)) {
        if (entry.is_directory() && !entry.is_symlink()) continue;
        const std::string path = "./" + entry.path().lexically_relative(s_destDir).string();
        EXPECT_NE(contents.find(entry.is_symlink() ? path + " -> " : path), std::string::npos) << path;
    }

    // The maintainer scripts never fail: neither without udevadm nor when udevadm itself fails.
    const fs::path control = m_work / "control";
    ASSERT_EQ(Shell("dpkg-deb -e " + q + " " + Quote(control.string())).status, 0);
    const fs::path fakeBin = m_work / "fakebin";
    fs::create_directories(fakeBin);
    {
        std::ofstream(fakeBin / "udevadm")
            << "#!/bin/sh\necho udevadm \"$@\" >> " << Quote((m_work / "calls").string()) << "\nexit 1\n";
    }
    fs::permissions(fakeBin / "udevadm", fs::perms::owner_all);
    for (const char* script : {"postinst", "postrm"}) {
        const std::string path = Quote((control / script).string());
        ASSERT_TRUE(IsExecutableFile(control / script)) << script;
        EXPECT_EQ(Shell("PATH=/nonexistent /bin/sh " + path + " configure").status, 0) << script;
        EXPECT_EQ(Shell("PATH=" + Quote(fakeBin.string()) + ":/usr/bin:/bin " + path + " configure").status, 0)
            << script;
    }
    EXPECT_NE(ReadText(m_work / "calls").find("udevadm control --reload-rules"), std::string::npos);
}

}  // namespace
