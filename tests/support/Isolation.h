// Running a piece of a test in a child process with less than the test has:
// without the privileges that let root ignore file permissions, or with a
// ceiling on file sizes that makes writes fail the way a full disk does.
#pragma once

#include <cstdint>
#include <functional>

namespace htmlimglist::test {

// Runs body in a forked child and returns its result, or -1 when the child
// did not exit normally. body's result must fit an exit status (0..255).
int InChild(const std::function<int()>& body);

// body runs without any capabilities, so permission bits hold even for root.
int WithoutPrivileges(const std::function<int()>& body);

// body runs with writes past maxBytes in any one file failing with EFBIG.
int WithFileSizeLimit(uint64_t maxBytes, const std::function<int()>& body);

}  // namespace htmlimglist::test
