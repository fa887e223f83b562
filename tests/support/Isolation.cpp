#include "support/Isolation.h"

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace htmlimglist::test {

int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(body() & 0xFF);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

int WithoutPrivileges(const std::function<int()>& body) {
    return InChild([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (syscall(SYS_capset, &header, data) != 0) return 254;
        return body();
    });
}

int WithFileSizeLimit(uint64_t maxBytes, const std::function<int()>& body) {
    return InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {maxBytes, maxBytes};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 254;
        return body();
    });
}

}  // namespace htmlimglist::test
