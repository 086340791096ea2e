#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/Platform/Posix/RuntimeFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

using namespace Orv::Platform;
namespace fs = std::filesystem;

namespace {

constexpr const char* kName = "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}_FirmwareUpdater";

sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    return addr;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orv-si-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Stands in for the user-interface thread: hand-overs wait here until the test runs them.
    SingleInstance::Poster QueuePoster() {
        return [this](std::function<void()> fn) {
            std::lock_guard lock(m_queueLock);
            m_queue.push_back(std::move(fn));
        };
    }
    void RunQueued() {
        std::unique_lock lock(m_queueLock);
        auto batch = std::exchange(m_queue, {});
        lock.unlock();
        for (auto& fn : batch) fn();
    }
    SingleInstance::Handlers Recording() {
        return {[this] { ++m_activations; }, [this](const std::string& s) { m_lines.push_back(s); }};
    }

    std::string m_dir;
    std::mutex m_queueLock;
    std::deque<std::function<void()>> m_queue;
    int m_activations = 0;
    std::vector<std::string> m_lines;
};

}  // namespace

// One holder at a time and the lock passing on are the end-to-end scripts' (twenty starts at once,
// a second instance, a start after a failed one). Here: a lock that cannot be opened is refused with
// its reason, never taken as "first".
TEST_F(SingleInstanceTest, UnopenableLockIsRefusedWithItsReason) {
    SingleInstance blocked(kName, m_dir + "/missing-folder");
    EXPECT_FALSE(blocked.TryBecomeFirst());
    EXPECT_FALSE(blocked.IsFirst());
    EXPECT_NE(blocked.Error().find("cannot open"), std::string::npos) << blocked.Error();
}

TEST_F(SingleInstanceTest, SecondInstanceHandsItsCommandLineToTheFirst) {
    SingleInstance first(kName, m_dir), second(kName, m_dir);
    ASSERT_TRUE(first.TryBecomeFirst());
    ASSERT_FALSE(second.TryBecomeFirst());
    // The socket file of a crashed instance: it stays, nobody accepts. The second instance is
    // refused, not hung, and runs on; the first listens there all the same.
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = Address(first.SocketPath());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);
    }
    EXPECT_FALSE(second.SendToFirst("updater -SILENT"));

    ASSERT_TRUE(first.StartListening(Recording(), QueuePoster()));
    EXPECT_TRUE(second.SendToFirst("updater -FIRMWARE_VERSION=1.0.2 \xC3\xA9"));
    EXPECT_EQ(m_activations, 0);  // nothing runs off the user-interface thread
    RunQueued();
    EXPECT_EQ(m_activations, 1);
    EXPECT_EQ(m_lines, (std::vector<std::string>{"updater -FIRMWARE_VERSION=1.0.2 \xC3\xA9"}));

    first.StopListening();
    EXPECT_FALSE(fs::exists(first.SocketPath()));
    EXPECT_FALSE(second.SendToFirst("late"));
}

TEST_F(SingleInstanceTest, MalformedHandOversAreDroppedAndTheListenerGoesOn) {
    SingleInstance first(kName, m_dir), second(kName, m_dir);
    ASSERT_TRUE(first.TryBecomeFirst());
    ASSERT_TRUE(first.StartListening(Recording(), QueuePoster()));
    auto sendRaw = [&](const std::string& bytes) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = Address(first.SocketPath());
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
        shutdown(fd, SHUT_WR);  // a short record ends here instead of stalling the listener
        char ack = 0;
        const ssize_t got = recv(fd, &ack, 1, 0);
        close(fd);
        return got > 0;  // true only when the listener answered
    };
    auto header = [](std::uint32_t magic, std::uint32_t id, std::uint32_t length) {
        const std::uint32_t h[3] = {magic, id, length};
        return std::string(reinterpret_cast<const char*>(h), sizeof h);
    };
    EXPECT_FALSE(sendRaw(header(kSecondInstanceMagic, 0x466, 3) + "ab"));          // other id
    EXPECT_FALSE(sendRaw(header(kSecondInstanceMagic, 0x465, 3) + "abc"));         // no zero
    EXPECT_FALSE(sendRaw(header(kSecondInstanceMagic, 0x465, 0x7FFFFFFF)));        // too long
    EXPECT_FALSE(sendRaw(header(0x12345678, 0x465, 3) + std::string("ab\0", 3)));  // not ours
    EXPECT_FALSE(sendRaw("x"));                                                    // cut short
    RunQueued();
    EXPECT_EQ(m_activations, 0);
    // The same path with a well-formed record is answered, so the checks above can fail.
    EXPECT_TRUE(sendRaw(header(kSecondInstanceMagic, 0x465, 3) + std::string("ab\0", 3)));
    EXPECT_TRUE(second.SendToFirst("still here"));
    RunQueued();
    EXPECT_EQ(m_lines, (std::vector<std::string>{"ab", "still here"}));
}

namespace {

// How the runtime folder and the fallback folder are prepared before the choice.
enum class Entry { Missing, Private, Open0755, WorldWritable, LinkToPrivate, PlainFile, OtherOwner };
enum class Chosen { Xdg, Fallback, Refused };

struct FolderCase {
    const char* what;
    Entry xdg, fallback;
    Chosen chosen;
};

class PrivateFolderChoice : public SingleInstanceTest, public ::testing::WithParamInterface<FolderCase> {
protected:
    static void Make(const std::string& path, Entry entry) {
        if (entry == Entry::Missing) return;
        if (entry == Entry::PlainFile) return void(std::ofstream(path) << "x");
        const std::string dir = entry == Entry::LinkToPrivate ? path + "-target" : path;
        int result = mkdir(dir.c_str(), 0700);
        if (entry == Entry::LinkToPrivate) result |= symlink(dir.c_str(), path.c_str());
        if (entry == Entry::Open0755) result |= chmod(path.c_str(), 0755);
        if (entry == Entry::WorldWritable) result |= chmod(path.c_str(), 01777);
        if (entry == Entry::OtherOwner) result |= chown(path.c_str(), 65534, 65534);
        ASSERT_EQ(result, 0) << path;
    }
};

}  // namespace

TEST_P(PrivateFolderChoice, TakesOnlyAFolderNobodyElseCanEnter) {
    const FolderCase& c = GetParam();
    SCOPED_TRACE(c.what);
    if ((c.xdg == Entry::OtherOwner || c.fallback == Entry::OtherOwner) && getuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    const std::string xdg = m_dir + "/runtime", fallback = m_dir + "/varnet-updater-" + std::to_string(getuid());
    Make(xdg, c.xdg);
    Make(fallback, c.fallback);
    std::string error;
    const std::string chosen = ChoosePrivateRuntimeFolder(xdg.c_str(), m_dir, &error);
    EXPECT_EQ(chosen, c.chosen == Chosen::Xdg ? xdg : c.chosen == Chosen::Fallback ? fallback : "") << error;
    EXPECT_EQ(error.empty(), c.chosen != Chosen::Refused) << error;
    if (c.chosen == Chosen::Fallback) {
        struct stat st {};
        ASSERT_EQ(lstat(fallback.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & (S_IFMT | 07777), S_IFDIR | 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrivateFolderChoice,
    ::testing::Values(
        FolderCase{"private runtime folder", Entry::Private, Entry::Missing, Chosen::Xdg},
        FolderCase{"no runtime folder: own folder made 0700", Entry::Missing, Entry::Missing, Chosen::Fallback},
        FolderCase{"runtime folder of mode 0755", Entry::Open0755, Entry::Missing, Chosen::Fallback},
        FolderCase{"world-writable runtime folder", Entry::WorldWritable, Entry::Missing, Chosen::Fallback},
        FolderCase{"runtime folder is a link", Entry::LinkToPrivate, Entry::Missing, Chosen::Fallback},
        FolderCase{"runtime folder of another user", Entry::OtherOwner, Entry::Missing, Chosen::Fallback},
        FolderCase{"own folder world-writable", Entry::Missing, Entry::WorldWritable, Chosen::Refused},
        FolderCase{"own folder is a file", Entry::Missing, Entry::PlainFile, Chosen::Refused},
        FolderCase{"own folder already there and private", Entry::Missing, Entry::Private, Chosen::Fallback},
        FolderCase{"own folder of mode 0755", Entry::Missing, Entry::Open0755, Chosen::Refused},
        FolderCase{"own folder is a link", Entry::Missing, Entry::LinkToPrivate, Chosen::Refused},
        FolderCase{"own folder taken by another user", Entry::Missing, Entry::OtherOwner, Chosen::Refused}));
