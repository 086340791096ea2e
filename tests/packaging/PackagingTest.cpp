// Installs the build into a temporary DESTDIR (prefix /usr) and checks what a user of the
// installed program gets: files, device rule, desktop entry, the installed updater against the
// simulated Varnet, the registry script and the Debian package.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Simulator/SimulatorConfig.h"
#include "../Support/Shell.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool HaveTool(const std::string& name) { return Shell("command -v " + Quote(name) + " >/dev/null").status == 0; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsExecutableFile(const fs::path& p) { return fs::is_regular_file(p) && ::access(p.c_str(), X_OK) == 0; }

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
        // Private, as a runtime folder must be for the updater to keep its lock there: parallel
        // tests then hold locks of their own.
        fs::permissions(m_work, fs::perms::owner_all, fs::perm_options::replace);
    }

    // Everything an installed program writes stays in the test's own folder.
    std::string Environment() const {
        const std::string w = m_work.string();
        return "env -u VARNET_SIM_FAULTS -u VARNET_SIM_STATE -u VARNET_SIM_FLASH VARNET_REGISTRY_DIR=" +
               Quote(w + "/registry") + " XDG_RUNTIME_DIR=" + Quote(w) + " HOME=" + Quote(w) +
               " XDG_DATA_HOME=" + Quote(w + "/data") + " ";
    }

    ShellRun RunUpdater(const std::string& simVersion, const std::string& options) const {
        return Shell(Environment() + "VARNET_DEVICE=simulated VARNET_SIM_LATENCY_MS=0 VARNET_SIM_VERSION=" +
                     simVersion + " VARNET_SIM_TRANSCRIPT=" + Quote((m_work / "transcript.txt").string()) +
                     " VARNET_SIM_FLASH_OUT=" + Quote((m_work / "flash.txt").string()) + " timeout 60 " +
                     Quote((s_prefix / "bin/varnet-updater").string()) + " " + options);
    }

    ShellRun Suppressed(const std::string& arguments = {}) const {
        return Shell(Environment() + Quote((s_prefix / "bin/varnet-updater-suppressed").string()) + arguments);
    }

    fs::path ValueFile(const std::string& extension = ".bin") const {
        return m_work / "registry/HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers" /
               "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate" / ("SuppressAutoUpdates" + extension);
    }

    static inline fs::path s_temp, s_destDir, s_prefix;
    static inline ShellRun s_install;
    fs::path m_work;
};

TEST_F(Packaging, PutsEveryFileWhereTheProgramAndTheDesktopLookForIt) {
    const fs::path lib = s_prefix / "lib/varnet-updater";
    const fs::path source = VARNET_SOURCE_DIR;
    for (const fs::path& exe :
         {lib / "varnet-updater", s_prefix / "bin/varnet-image", s_prefix / "bin/varnet-updater-suppressed"})
        EXPECT_TRUE(IsExecutableFile(exe)) << exe;
    // The command users type is a relative link to the program, so the installed tree can move.
    EXPECT_EQ(fs::read_symlink(s_prefix / "bin/varnet-updater"), fs::path("../lib/varnet-updater/varnet-updater"));
    EXPECT_TRUE(fs::is_regular_file(lib / "libIniFileManager.so"));
    EXPECT_EQ(ReadWholeFile(lib / "Varnet1.0.2.cyacd"), ReadWholeFile(source / "resources/Varnet1.0.2.cyacd"));
    for (const char* page : {"varnet-updater", "varnet-image", "varnet-updater-suppressed"})
        EXPECT_EQ(ReadWholeFile(s_prefix / "share/man/man1" / (std::string(page) + ".1.gz")).substr(0, 2), "\x1f\x8b")
            << page;
    EXPECT_TRUE(fs::is_regular_file(s_prefix / "share/doc/varnet-updater/copyright"));

    // Icons at every menu size, read from the PNG header's width and height.
    for (unsigned size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::string png = ReadWholeFile(s_prefix / "share/icons/hicolor" / folder / "apps/varnet-updater.png");
        const std::string be32 = {0, 0, static_cast<char>(size >> 8), static_cast<char>(size & 0xff)};
        EXPECT_EQ(png.substr(0, 24), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + be32 + be32) << folder;
    }
    // The window shows the 48-pixel icon, embedded from the sources: it is the one drawn now.
    EXPECT_EQ(ReadWholeFile(source / "resources/VarnetUpdaterIcon.png"),
              ReadWholeFile(s_prefix / "share/icons/hicolor/48x48/apps/varnet-updater.png"))
        << "run: varnet-make-icon resources/VarnetUpdater.png resources/VarnetUpdaterIcon.png 48";
}

// Both modes of the Varnet, for the seat's user only (no MODE wider than that).
TEST_F(Packaging, DeviceRuleGivesTheSeatUserBothModesOfTheVarnetOnly) {
    std::vector<std::string> rules;
    for (const std::string& line : Lines(ReadWholeFile(s_prefix / "lib/udev/rules.d/70-varnet.rules")))
        if (!line.empty() && line[0] != '#') rules.push_back(line);
    std::vector<std::string> expected;
    for (std::uint16_t product : {Varnet::ApplicationProductId, Varnet::BootloaderProductId}) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", TAG+=\"uaccess\"",
                      Varnet::SimulatedVendorId, product);
        expected.push_back(line);
    }
    EXPECT_EQ(rules, expected);
}

TEST_F(Packaging, DesktopEntryStartsTheInstalledUpdaterInEveryLanguage) {
    const fs::path entry = s_prefix / "share/applications/varnet-updater.desktop";
    std::map<std::string, std::string> keys;
    for (const std::string& line : Lines(ReadWholeFile(entry)))
        if (auto eq = line.find('='); eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Name"], "Varnet Firmware Updater");
    EXPECT_TRUE(IsExecutableFile(fs::canonical(s_prefix / "bin" / keys["Exec"])));
    EXPECT_EQ(keys["Icon"], "varnet-updater");
    // The menu names the program as its window does in each language, which the texts pointing
    // the user to the menu rely on.
    const std::string strings = ReadWholeFile(fs::path(VARNET_SOURCE_DIR) / "tools/strings/StringTables.xml");
    for (const std::string language : {"es", "de", "ja", "fr", "it", "ko", "zh_TW", "zh_CN"}) {
        const std::string name = keys["Name[" + language + "]"], comment = keys["Comment[" + language + "]"];
        EXPECT_NE(strings.find(">" + name + "</Locale>"), std::string::npos) << language << ": " << name;
        EXPECT_FALSE(comment.empty() || comment == keys["Comment"]) << language;
    }
    if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    const ShellRun check = Shell("desktop-file-validate " + Quote(entry.string()));
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output, "");
}

// The installed updater programs the installed image (checked row by row at the end-to-end level)
// and leaves the value the installed script reads: a forced downgrade keeps updates held back; a
// current device is left alone, quietly. (A plain update's value: the engine's restart table.)
TEST_F(Packaging, UpdatesFromTheInstalledImageAndLeavesTheValueForTheScript) {
    for (const auto& [version, options, rows, value] : {std::tuple{"1.0.2", "-SILENT_IF_UPDATE_NOT_NEEDED", 0u, "0\n"},
                                                        std::tuple{"1.0.3", "-SILENT -ALWAYS_UPDATE", 65u, "1\n"}}) {
        SCOPED_TRACE(options);
        fs::remove(m_work / "transcript.txt");
        fs::remove(m_work / "flash.txt");
        const ShellRun run = RunUpdater(version, options);
        EXPECT_NE(run.status, 124) << "the updater did not end";
        if (rows == 0u) {
            EXPECT_EQ(run.output, "");
        }
        EXPECT_EQ(ReadWholeFile(m_work / "transcript.txt").find("SWITCH 00 12 34 00") != std::string::npos, rows != 0u);
        EXPECT_EQ(Lines(ReadWholeFile(m_work / "flash.txt")).size(), rows) << run.output;
        EXPECT_EQ(Suppressed().output, value);
    }
    // The plug-in lies beside the real program (the link's target, not bin/); the updater loads it
    // at start-up and stores the skin it selected in the user settings.
    const fs::path settings = m_work / "data/Korvo/Varnet Firmware Updater/UserSettings.ini";
    EXPECT_NE(ReadWholeFile(settings).find("CurrentSkinIndex=0"), std::string::npos) << settings;
}

// The value as the updater stores it: a text value takes precedence and is read as a number;
// anything damaged is reported, never taken as "not held back".
TEST_F(Packaging, RegistryScriptReadsTheStoredValueAndReportsADamagedOne) {
    EXPECT_EQ(Suppressed().output, "unset\n");
    const std::string t = std::string("\x0d\0\0\0\0\0\0\0\x01\0\0\0\x01", 13), f = t.substr(0, 12) + '\0';
    const struct {
        std::string binary, text;
        int status;
        std::string output;
    } cases[] = {
        {t, "", 0, "1\n"},
        {f, "", 0, "0\n"},
        {f, std::string("1\0\0\0", 4), 0, "1\n"},
        {"", "", 2, "invalid\n"},                                     // empty
        {t.substr(0, 12), "", 2, "invalid\n"},                        // cut short
        {t.substr(0, 8) + '\x02' + t.substr(9), "", 2, "invalid\n"},  // another kind
        {'\x0e' + t.substr(1) + '\0', "", 2, "invalid\n"},            // too long
        {"", std::string("y\0e\0s\0\0\0", 8), 2, "invalid\n"},        // text, not a number
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.binary) + " / " + ::testing::PrintToString(c.text));
        fs::remove(ValueFile());
        fs::remove(ValueFile(".sz"));
        fs::create_directories(ValueFile().parent_path());
        if (!c.binary.empty() || c.text.empty()) std::ofstream(ValueFile(), std::ios::binary) << c.binary;
        if (!c.text.empty()) std::ofstream(ValueFile(".sz"), std::ios::binary) << c.text;
        const ShellRun r = Suppressed();
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.output.substr(0, c.output.size()), c.output) << r.output;
    }
    // The folder it reads is the one given to the updater; without one, the machine folder when it
    // is (or can be made) writable, else the user's data folder, as the updater chooses.
    EXPECT_EQ(Suppressed(" --path").output, ValueFile().parent_path().string() + "\n");
    const std::string key =
        "/HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers/{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate\n";
    const std::string script = Quote((s_prefix / "bin/varnet-updater-suppressed").string()) + " --path";
    const bool machineUsable = ::access("/var/lib/varnet-updater/registry", W_OK) == 0 ||
                               (!fs::exists("/var/lib/varnet-updater") && ::access("/var/lib", W_OK) == 0);
    EXPECT_EQ(
        Shell(Environment() + "VARNET_REGISTRY_DIR= " + script).output,
        (machineUsable ? "/var/lib/varnet-updater/registry" : (m_work / "data/varnet-updater/registry").string()) +
            key);
    if (!machineUsable) {
        EXPECT_EQ(Shell(Environment() + "VARNET_REGISTRY_DIR= XDG_DATA_HOME= " + script).output,
                  (m_work / ".local/share/varnet-updater/registry").string() + key);
    }
}

TEST_F(Packaging, DebianPackageCarriesTheFilesDependenciesAndScripts) {
    if (!HaveTool("dpkg-deb")) GTEST_SKIP() << "dpkg-deb is not installed";
    const fs::path out = m_work / "deb";
    const ShellRun pack =
        Shell("timeout 100 " + Quote(VARNET_CPACK_COMMAND) + " --config " +
              Quote(std::string(VARNET_BINARY_DIR) + "/CPackConfig.cmake") + " -G DEB -B " + Quote(out.string()));
    ASSERT_EQ(pack.status, 0) << pack.output;
    const std::string arch = Lines(Shell("dpkg --print-architecture").output).at(0);
    const std::string q = Quote((out / ("varnet-updater_1.0.2_" + arch + ".deb")).string());
    EXPECT_EQ(Shell("dpkg-deb -f " + q + " Package Version").output, "Package: varnet-updater\nVersion: 1.0.2\n");
    EXPECT_NE(Shell("dpkg-deb -f " + q + " Maintainer").output, "\n");
    const std::string depends = Shell("dpkg-deb -f " + q + " Depends").output;
    // The libraries, and the fonts that draw every shipped language.
    for (const char* lib : {"libsdl2-2.0-0", "libcairo2", "libpango-1.0-0", "libpangocairo-1.0-0", "libhidapi-hidraw0",
                            "libexpat1", "fonts-liberation", "fonts-wqy-microhei"})
        EXPECT_NE(depends.find(lib), std::string::npos) << lib << " missing from: " << depends;

    // The maintainer scripts never fail: neither without udevadm nor when udevadm itself fails.
    const fs::path control = m_work / "control", fakeBin = m_work / "fakebin";
    ASSERT_EQ(Shell("dpkg-deb -e " + q + " " + Quote(control.string())).status, 0);
    fs::create_directories(fakeBin);
    std::ofstream(fakeBin / "udevadm") << "#!/bin/sh\necho udevadm \"$@\" >> " << Quote((m_work / "calls").string())
                                       << "\nexit 1\n";
    fs::permissions(fakeBin / "udevadm", fs::perms::owner_all);
    for (const char* script : {"postinst", "postrm"}) {
        const std::string path = Quote((control / script).string());
        ASSERT_TRUE(IsExecutableFile(control / script)) << script;
        EXPECT_EQ(Shell("PATH=/nonexistent /bin/sh " + path + " configure").status, 0) << script;
        EXPECT_EQ(Shell("PATH=" + Quote(fakeBin.string()) + ":/usr/bin:/bin " + path + " configure").status, 0)
            << script;
    }
    EXPECT_NE(ReadWholeFile(m_work / "calls").find("udevadm control --reload-rules"), std::string::npos);
}

}  // namespace
