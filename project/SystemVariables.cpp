#include "project/SystemVariables.hpp"

#include <array>
#include <limits>

namespace kpf::project {

namespace {

constexpr uint8_t I = 0;
constexpr uint8_t T = 1;

// Registration order, codes, names and types are fixed: stored data refer to system variables by
// ID (65535 + position), so the duplicate TASKBAR_TOP and the unused codes 38 and 40 stay.
constexpr std::array<SystemVariableRow, kSystemVariableCount> kRows = {{
    {1, "SCREEN_WIDTH", 1, I},
    {2, "SCREEN_HEIGHT", 1, I},
    {3, "CONNECTED", 2, I},
    {4, "CURRENT_HOUR", 2, I},
    {5, "CURRENT_MINUTE", 2, I},
    {6, "CURRENT_SECOND", 2, I},
    {7, "CURRENT_DAY", 2, I},
    {8, "CURRENT_MONTH", 2, I},
    {9, "CURRENT_YEAR", 2, I},
    {10, "CURRENT_DAY_OF_WEEK", 2, I},
    {11, "RANDOM_NUMBER", 2, I},
    {12, "PROXY", 2, T},
    {13, "PROXY_PORT", 2, T},
    {14, "CURRENT_TIMER", 2, I},
    {15, "CURRENT_LEFT", 2, I},
    {16, "CURRENT_TOP", 2, I},
    {17, "CURRENT_WIDTH", 2, I},
    {18, "CURRENT_HEIGHT", 2, I},
    {19, "LAST_KEYBOARD", 2, I},
    {20, "CURRENT_MOUSE_X", 2, I},
    {21, "CURRENT_MOUSE_Y", 2, I},
    {22, "TASKBAR_TOP", 2, I},
    {23, "ACTIVE_WINDOW_TOP", 2, I},
    {24, "ACTIVE_WINDOW_LEFT", 2, I},
    {25, "ACTIVE_WINDOW_BOTTOM", 2, I},
    {26, "ACTIVE_WINDOW_RIGHT", 2, I},
    {27, "CURRENT_MOUSE_BUTTON", 2, I},
    {28, "SCREEN_MOUSE_X", 2, I},
    {29, "SCREEN_MOUSE_Y", 2, I},
    {30, "CURRENT_ANIMATION_NAME", 2, T},
    {31, "CURRENT_ANIMATION_INDEX", 2, I},
    {32, "CURRENT_WINDOW_STATE", 2, I},
    {33, "ACTIVE_WINDOW_ID", 2, I},
    {34, "CURRENT_FRAME_INDEX", 2, I},
    {35, "CURRENT_DRAW_COUNT", 2, I},
    {36, "LAST_ERROR", 2, I},
    {37, "LAST_ERROR_TEXT", 2, T},
    {39, "MYDOCUMENT_FOLDER", 2, T},
    {41, "PARENT_HANDLE", 2, I},
    {42, "PROXY_USERNAME", 2, T},
    {43, "PROXY_PASSWORD", 2, T},
    {44, "CURRENT_INSTANCE", 2, I},
    {45, "CURRENT_FOLDER", 2, T},
    {46, "CURRENT_ANIMATION_COUNT", 2, I},
    {47, "TASKBAR_TOP", 2, I},
    {48, "TASKBAR_LEFT", 2, I},
    {50, "TASKBAR_BOTTOM", 2, I},
    {49, "TASKBAR_RIGHT", 2, I},
    {51, "RANDOM_SCREEN_WIDTH", 2, I},
    {52, "RANDOM_SCREEN_HEIGHT", 2, I},
}};

}  // namespace

int32_t ConvertToInteger(std::string_view text) {
  if (text.empty() || text == "-") return 0;
  for (char c : text)
    if ((c < '0' || c > '9') && c != '-') return 0;
  // Only digits and minus signs remain: a valid integer is one optional leading minus followed by
  // digits, and it must fit in 32 bits.
  bool negative = text.front() == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.find('-') != std::string_view::npos)
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  int64_t magnitude = 0;
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  for (char c : digits) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit)
      throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

const SystemVariableRow& SystemVariableAt(size_t position) { return kRows.at(position); }

void RegisterSystemVariables(std::vector<TTaviVariable>& variables, SystemVariableHost* host) {
  variables.reserve(variables.size() + kRows.size());
  for (size_t position = 0; position < kRows.size(); ++position) {
    const auto& row = kRows[position];
    TTaviVariable variable;
    variable.ID = kFirstSystemVariableId + static_cast<int32_t>(position);
    variable.Name = row.name;
    variable.SysIndex = row.code;
    variable.Kind = row.kind;
    variable.VarType = row.varType;
    variable.Value = variable.Converted(int32_t{0});
    variable.StoredValue = variable.Value;
    variable.Host = host;
    variables.push_back(std::move(variable));
  }
}

void SetSystemVariableHost(std::vector<TTaviVariable>& variables, SystemVariableHost* host) {
  for (auto& variable : variables) variable.Host = host;
}

const TTaviVariable* FindVariableById(const std::vector<TTaviVariable>& variables, int32_t id) {
  int32_t position = VariablePositionOfId(variables, id);
  return position < 0 ? nullptr : &variables[static_cast<size_t>(position)];
}

TTaviVariable* FindVariableById(std::vector<TTaviVariable>& variables, int32_t id) {
  int32_t position = VariablePositionOfId(variables, id);
  return position < 0 ? nullptr : &variables[static_cast<size_t>(position)];
}

int32_t VariablePositionOfId(const std::vector<TTaviVariable>& variables, int32_t id) {
  for (size_t i = 0; i < variables.size(); ++i)
    if (variables[i].ID == id) return static_cast<int32_t>(i);
  return -1;
}

const TTaviVariable* FindVariableByName(const std::vector<TTaviVariable>& variables,
                                        std::string_view name) {
  for (auto it = variables.rbegin(); it != variables.rend(); ++it)
    if (SameText(it->Name, name)) return &*it;
  return nullptr;
}

TTaviVariable* FindVariableByName(std::vector<TTaviVariable>& variables, std::string_view name) {
  for (auto it = variables.rbegin(); it != variables.rend(); ++it)
    if (SameText(it->Name, name)) return &*it;
  return nullptr;
}

}  // namespace kpf::project
