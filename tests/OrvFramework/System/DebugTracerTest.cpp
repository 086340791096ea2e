#include "OrvFramework/System/DebugTracer.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Support/UdpListener.h"

using namespace Orv;

namespace {

// Collects the debugger output for one test.
class DebuggerCapture {
public:
    DebuggerCapture() : m_old(SetDebuggerOutput([this](std::string_view t) { text += t; })) {}
    ~DebuggerCapture() { SetDebuggerOutput(m_old); }
    std::string text;

private:
    DebuggerOutputFn m_old;
};

using VarnetTest::UdpListener;

}  // namespace

TEST(DebugTracer, DefaultsSendTraceTextUpToItsLevelToTheDebuggerOutput) {
    DebuggerCapture capture;
    DebugTracer tracer;
    tracer.TraceLine(1, "row %d of %s", 7, "image");
    tracer.Trace(0, u"wide %s %c%C|%5.1f|%-3d|%%", u"\u00e9t\u00e9", u'\u00df', 'x', 2.25, 4);
    tracer.TraceLine(1, u"%ls %lld %x", u"long", 1234567890123LL, 255u);
    tracer.TraceLine(2, "hidden");
    tracer.SetLevel(3);
    tracer.TraceLine(3, "shown %d", 3);
    tracer.Trace(4, u"hidden");
    // A port above 65535 keeps the trace on the debugger output.
    tracer.SetNetworkTarget(std::string("no-such-host.invalid"), 70000);
    tracer.TraceLine(1, "local");
    EXPECT_EQ(capture.text,
              "row 7 of image\nwide \xC3\xA9t\xC3\xA9 \xC3\x9Fx|  2.2|4  |%long 1234567890123 ff\nshown 3\nlocal\n");
    EXPECT_FALSE(tracer.HasSocket());
}

TEST(DebugTracer, FirstNetworkSendSendsTheLaunchBannerThenTheTextUnlessAConsoleIsOpen) {
    DebuggerCapture capture;
    UdpListener listener;
    DebugTracer tracer;
    tracer.SetNetworkTarget(std::string("127.0.0.1"), listener.port);
    tracer.TraceLine(1, "hello %d", 5);
    tracer.Trace(1, u"wide \u00e9");  // converted to narrow, no second banner
    std::vector<std::string> datagrams;
    for (int i = 0; i < 5; ++i) datagrams.push_back(listener.Receive());
    EXPECT_EQ(datagrams, (std::vector<std::string>{"*** APPLICATION Launched on ", "127.0.0.1", "***\n", "hello 5\n",
                                                   "wide \xC3\xA9"}));
    EXPECT_EQ(tracer.SendToNetwork(""), 0);  // empty text is not sent
    EXPECT_FALSE(listener.Pending());

    // An absent host keeps the stored one.
    tracer.SetNetworkTarget(std::nullopt, listener.port);
    EXPECT_EQ(tracer.GetHost(), "127.0.0.1");

    // An open console takes the text instead of the network.
    tracer.OpenConsole();
    EXPECT_TRUE(tracer.IsConsoleOpen());
    testing::internal::CaptureStderr();
    tracer.TraceLine(1, "to console");
    tracer.Trace(1, u"wide");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to console\nwide");
    EXPECT_FALSE(listener.Pending());
    EXPECT_EQ(capture.text, "");
}

// How the option is read is tested with the reader; here each kind of request reaches the tracer.
TEST(DebugTracer, DebugConsoleOption) {
    struct Case {
        const char* line;
        DebugConsoleOption result;
        bool console;
        int port;
        const char* host;
    };
    for (const Case& c :
         {Case{"updater -SILENT", DebugConsoleOption::None, false, -1, ""},
          Case{"updater -debug_console -x", DebugConsoleOption::Console, true, -1, ""},
          Case{"updater -DEBUG_CONSOLE:5", DebugConsoleOption::Ignored, false, -1, ""},
          Case{"updater -Debug_Console:9000:loghost -SILENT", DebugConsoleOption::Network, false, 9000, "LOGHOST"},
          Case{"-DEBUG_CONSOLE:12", DebugConsoleOption::Network, false, 12, ""},
          // Only where an argument begins, as every option: not inside a path or another option.
          Case{"updater -ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/a -DEBUG_CONSOLE:9000/x.cyacd\"", DebugConsoleOption::None,
               false, -1, ""},
          Case{"updater -X-DEBUG_CONSOLE", DebugConsoleOption::None, false, -1, ""}}) {
        SCOPED_TRACE(c.line);
        DebugTracer tracer;
        const DebugConsoleOption result = ApplyDebugConsoleOption(c.line, tracer);
        EXPECT_EQ(std::tuple(result, tracer.IsConsoleOpen(), tracer.GetPort(), tracer.GetHost()),
                  std::tuple(c.result, c.console, c.port, std::string(c.host)));
    }
}
