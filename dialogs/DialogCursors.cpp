#include "dialogs/DialogCursors.hpp"

#include <array>

namespace kpf::dialogs {

namespace {

using platform::StockCursor;

// Stock cursors by -id, from -1 down to -22 (-5 is the old name of the four-way arrow).
constexpr std::array<StockCursor, 22> kStock = {
    StockCursor::None,     StockCursor::Arrow,    StockCursor::Cross,     StockCursor::IBeam,
    StockCursor::SizeAll,  StockCursor::SizeNESW, StockCursor::SizeNS,    StockCursor::SizeNWSE,
    StockCursor::SizeWE,   StockCursor::UpArrow,  StockCursor::HourGlass, StockCursor::Drag,
    StockCursor::NoDrop,   StockCursor::HSplit,   StockCursor::VSplit,    StockCursor::MultiDrag,
    StockCursor::SqlWait,  StockCursor::No,       StockCursor::AppStart,  StockCursor::Help,
    StockCursor::HandPoint, StockCursor::SizeAll};

}  // namespace

platform::DialogCursor CursorFor(int16_t id, const std::function<int(int)>& registered) {
  platform::DialogCursor cursor;
  if (id < 0 && -int{id} <= static_cast<int>(kStock.size())) {
    cursor.stock = kStock[static_cast<size_t>(-int{id} - 1)];
  } else if (id > 0 && registered) {
    cursor.registered = registered(id - 1);
  }
  return cursor;
}

}  // namespace kpf::dialogs
