// The base of the tests' owners that put something back when they go: a copy would put it back
// twice.
#pragma once

namespace testing_support {

class NotCopyable {
public:
    NotCopyable(const NotCopyable&) = delete;
    NotCopyable& operator=(const NotCopyable&) = delete;

protected:
    NotCopyable() = default;
    ~NotCopyable() = default;
};

} // namespace testing_support
