#include "tests/support/scoped_screen.h"

#include "handset/registry/store_registry.h"
#include "handset/shell/screen.h"

namespace testing_support {

ScopedScreen::ScopedScreen(std::optional<SIZE> form, std::optional<int> dpi)
    : previousForm(handset::ScreenForm()), previousDpi(handset::DisplayDpi()) {
    if (dpi) {
        handset::SetDisplayDpi(dpi);
    }
    Turn(form);
}

ScopedScreen::~ScopedScreen() {
    handset::SetDisplayDpi(previousDpi);
    Turn(previousForm);
}

void ScopedScreen::Turn(std::optional<SIZE> form) {
    handset::TurnScreen(form);
}

} // namespace testing_support
