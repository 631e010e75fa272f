#pragma once
// The name rule of stream files: a name whose extension (any case) is neither ".KPFDAT" nor
// ".XML" gets ".KPFDAT" appended.
#include <string>
#include <string_view>

namespace kpf::engine::actions {

std::string WithStreamFileExtension(std::string_view name);

}  // namespace kpf::engine::actions
