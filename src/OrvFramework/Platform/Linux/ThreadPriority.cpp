#include "OrvFramework/Platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Orv::Platform {

NativeThreadId CurrentNativeThreadId() { return static_cast<NativeThreadId>(::syscall(SYS_gettid)); }

// Linux keeps a nice value per thread: setpriority on a thread id changes that thread alone.
// Five steps of nice per level; raising above normal needs privileges and otherwise fails quietly.
void SetNativeThreadPriority(NativeThreadId thread, int priority) {
    if (thread == 0) return;
    if (priority < -2) priority = -2;
    if (priority > 2) priority = 2;
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), -priority * 5);
}

}  // namespace Orv::Platform
