# Common compile settings for every target of the project.
set(KPF_WARNINGS -Wall -Wextra)

add_library(kpf_options INTERFACE)
target_compile_options(kpf_options INTERFACE ${KPF_WARNINGS})
target_include_directories(kpf_options INTERFACE ${PROJECT_SOURCE_DIR})

if(KPF_SANITIZE)
  target_compile_options(kpf_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kpf_options INTERFACE -fsanitize=address,undefined)
elseif(KPF_TSAN)
  target_compile_options(kpf_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(kpf_options INTERFACE -fsanitize=thread)
endif()

# kpf_library(NAME SOURCES... [DEPS ...]): one static library per folder.
function(kpf_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC kpf_options ${ARG_DEPS})
endfunction()
