#pragma once
// Whether the keyboard reports a key down, as the rules read it through GetKeyState.

#include <cstdint>

#include "platform/Platform.h"
#include "platform/qt/QtKeyboard.h"

namespace platform_test {

inline bool Down(platform::qt::QtKeyboard& keys, int32_t vk) {
    return (keys.GetKeyState(vk) & platform::kKeyDownBit) != 0;
}

}  // namespace platform_test
