// config's lock, held by another thread as another process holds it (a batch run holds it from
// its start to its end), until the owner goes. Header only: the suites that use it link the store.
#pragma once

#include <future>
#include <string>
#include <thread>

#include "store/config_lock.h"
#include "tests/support/not_copyable.h"

namespace testing_support {

class ConfigLockHeldElsewhere : NotCopyable {
public:
    explicit ConfigLockHeldElsewhere(const std::wstring& configPath)
        : holder([this, configPath] {
              ConfigLock lock(configPath);
              taken.set_value(lock.Held());
              release.get_future().wait();
          }) {
        held = taken.get_future().get();
    }
    ~ConfigLockHeldElsewhere() {
        release.set_value();
        holder.join();
    }

    bool Held() const { return held; }

private:
    std::promise<bool> taken;
    std::promise<void> release;
    std::thread holder;
    bool held = false;
};

} // namespace testing_support
