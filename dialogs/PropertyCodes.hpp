#pragma once
// The codes of the property interface through which scripts read and change dialog objects.
namespace kpf::dialogs {

enum PropertyCode : int {
  kPropCaption = 0,
  kPropCursor = 1,
  kPropEnabled = 2,
  kPropContentFile = 3,
  kPropHeight = 4,
  kPropLeft = 5,
  kPropTop = 6,
  kPropAddress = 7,
  kPropValue = 8,
  kPropVisible = 9,
  kPropWidth = 10,
  kPropTag = 11,
  kPropName = 12,
  kPropAlwaysOnTop = 13,
  kPropBrowserLocation = 14,
  kPropItems = 15,
  kPropItemCount = 16,
  kPropBusyOrAddItem = 17,
  kPropCompleteOrDeleteItem = 18,
  kPropClearLocation = 19,
  kPropPicture = 20,
  kPropRawPicture = 21,
};

// What a read gives for an object found when the code has no value of its own.
inline constexpr const char* kFoundText = "True";

}  // namespace kpf::dialogs
