// Gives the handset a screen of another form for as long as it lives, and then the screen it had
// before. Each change reaches the running programs as a turn of the screen; dots per inch, when
// given, reach only the programs started while it lives.
#pragma once

#include <windows.h>

#include <optional>

#include "tests/support/not_copyable.h"

namespace testing_support {

class ScopedScreen : NotCopyable {
public:
    // Nothing for form: the screen of the display the handset runs on.
    explicit ScopedScreen(std::optional<SIZE> form, std::optional<int> dpi = std::nullopt);
    ~ScopedScreen();

    // Turns the screen to another form.
    void Turn(std::optional<SIZE> form);

private:
    std::optional<SIZE> previousForm;
    std::optional<int> previousDpi;
};

} // namespace testing_support
