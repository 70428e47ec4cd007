// Window message numbers and parameters, with the values Win32 gives them, so that
// logic can be written the way Win32 code reads without including <windows.h>.
#pragma once
#include <cstdint>

namespace fw {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

namespace msg {
constexpr std::uint32_t kNull = 0x0000;
constexpr std::uint32_t kCreate = 0x0001;
constexpr std::uint32_t kDestroy = 0x0002;
constexpr std::uint32_t kClose = 0x0010;
constexpr std::uint32_t kQuit = 0x0012;
constexpr std::uint32_t kSettingChange = 0x001A;
constexpr std::uint32_t kPower = 0x0048;
constexpr std::uint32_t kCopyData = 0x004A;
constexpr std::uint32_t kCommand = 0x0111;
constexpr std::uint32_t kTimer = 0x0113;
constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kLButtonDown = 0x0201;
constexpr std::uint32_t kLButtonUp = 0x0202;
constexpr std::uint32_t kLButtonDblClk = 0x0203;
constexpr std::uint32_t kRButtonDown = 0x0204;
constexpr std::uint32_t kRButtonUp = 0x0205;
constexpr std::uint32_t kRButtonDblClk = 0x0206;
constexpr std::uint32_t kPowerBroadcast = 0x0218;
constexpr std::uint32_t kDeviceChange = 0x0219;
}  // namespace msg

// Device-change event types (WM_DEVICECHANGE wParam) and broadcast device types.
namespace dbt {
constexpr std::uint32_t kDevNodesChanged = 0x0007;
constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
constexpr std::uint32_t kDevTypDevNode = 1;
}  // namespace dbt

// Message box styles and answers.
namespace mb {
constexpr std::uint32_t kOk = 0x0000;
constexpr std::uint32_t kOkCancel = 0x0001;
constexpr std::uint32_t kYesNoCancel = 0x0003;
constexpr std::uint32_t kYesNo = 0x0004;
constexpr std::uint32_t kTypeMask = 0x000F;
constexpr std::uint32_t kIconError = 0x0010;
constexpr std::uint32_t kIconQuestion = 0x0020;
constexpr std::uint32_t kIconExclamation = 0x0030;
constexpr std::uint32_t kIconInformation = 0x0040;
constexpr std::uint32_t kIconMask = 0x00F0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

}  // namespace fw
