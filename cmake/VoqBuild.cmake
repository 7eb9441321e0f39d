# Build helpers shared by every directory of the tree.

set(VOQ_WARNINGS -Wall -Wextra)

# Lists the library sources of a directory: every .cpp below it, except its
# tests/ folders and the folders named in EXCLUDE, keeping *_win32.cpp to the
# Windows build and *_posix.cpp to the native one.
function(voq_glob_sources out dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS "${dir}/*.cpp")
  set(result)
  foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${dir}" "${f}")
    if(rel MATCHES "(^|/)tests/")
      continue()
    endif()
    set(skip FALSE)
    foreach(ex IN LISTS ARG_EXCLUDE)
      if(rel MATCHES "^${ex}/")
        set(skip TRUE)
      endif()
    endforeach()
    if(skip)
      continue()
    endif()
    if(WIN32 AND f MATCHES "_posix\\.cpp$")
      continue()
    endif()
    if(NOT WIN32 AND f MATCHES "_win32\\.cpp$")
      continue()
    endif()
    list(APPEND result "${f}")
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Our own targets: the repository root on the include path, warnings on.
function(voq_target_defaults target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${VOQ_WARNINGS})
endfunction()

# A static library from a directory's sources. A directory with no sources yet
# gets an interface library, so that its dependants still link.
function(voq_static_library target dir)
  voq_glob_sources(srcs "${dir}" ${ARGN})
  if(srcs)
    add_library(${target} STATIC ${srcs})
    voq_target_defaults(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# The Wine of this build: a 32-bit prefix for the product build, a 64-bit one
# for the test twin (64-bit Windows build).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VOQ_WINEARCH win64)
else()
  set(VOQ_WINEARCH win32)
endif()

# The Wine prefix lives in the build tree; a CTest fixture makes it once and
# keeps one wineserver for the run. A named fixture ("setup") makes a second
# prefix of its own, with its own wineserver and X server, for tests that
# change the machine (HKLM, the Start menu, the system folder): they run one
# at a time and never touch the shared prefix.
function(voq_wine_fixture)
  set(name "${ARGV0}")
  if(name)
    set(prefix "${CMAKE_BINARY_DIR}/wineprefix-${name}")
    set(fixture "wine_${name}")
    set(suffix "_${name}")
  else()
    set(prefix "${CMAKE_BINARY_DIR}/wineprefix")
    set(fixture wine)
    set(suffix "")
  endif()
  add_test(NAME wine_prefix_setup${suffix}
           COMMAND "${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh" "${prefix}" setup ${VOQ_WINEARCH})
  set_tests_properties(wine_prefix_setup${suffix} PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 600)
  add_test(NAME wine_server_stop${suffix}
           COMMAND "${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh" "${prefix}" cleanup ${VOQ_WINEARCH})
  set_tests_properties(wine_server_stop${suffix} PROPERTIES FIXTURES_CLEANUP ${fixture})
  if(name)
    set_tests_properties(wine_prefix_setup${suffix} wine_server_stop${suffix} PROPERTIES RESOURCE_LOCK ${fixture})
  endif()
endfunction()

# Registers a test command. Windows programs run under Wine (the toolchain's
# emulator) and need the prefix fixture; GUI tests also get an X server.
# WINE_PREFIX <name> runs it in the named prefix of voq_wine_fixture(<name>),
# under that prefix's lock (one test at a time) and on its X server.
function(voq_register_test name)
  cmake_parse_arguments(ARG "GUI" "WINE_PREFIX" "COMMAND" ${ARGN})
  if(NOT ARG_COMMAND)
    set(ARG_COMMAND ${name})
  endif()
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  if(WIN32)
    if(ARG_WINE_PREFIX)
      set(prefix "${CMAKE_BINARY_DIR}/wineprefix-${ARG_WINE_PREFIX}")
      set(fixture "wine_${ARG_WINE_PREFIX}")
    else()
      set(prefix "${CMAKE_BINARY_DIR}/wineprefix")
      set(fixture wine)
    endif()
    set(env "VOQ_WINEPREFIX=${prefix}" "VOQ_WINEARCH=${VOQ_WINEARCH}")
    if(ARG_GUI)
      list(APPEND env "VOQ_GUI_TEST=1")
      set_tests_properties(${name} PROPERTIES LABELS gui)
    endif()
    if(ARG_WINE_PREFIX)
      # The named prefix has its own wineserver and display: its tests take
      # its lock, not the shared display's.
      set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK ${fixture})
    elseif(ARG_GUI)
      # GUI tests run one at a time: each starts its own X server, and Wine
      # programs of one prefix share one wineserver, whose desktop belongs to
      # the first display that it saw.
      set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK voq_gui_display)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" FIXTURES_REQUIRED ${fixture} TIMEOUT 300)
  endif()
endfunction()

# One GoogleTest executable and one CTest entry per tests/*_test.cpp of a
# directory (one Wine start per unit, not per case). Files in tests/support/
# are linked into each of them; tests/data/ is given as VOQ_TEST_DATA_DIR.
# WINE_PREFIX names the Wine prefix they run in (voq_register_test).
# FLAVOURS maps a file-name suffix to the framework copy the test links in
# place of fw_rigger: "_tms_test=fw_tms". A *_gui_test runs under Xvfb, and
# so does a flavoured one named *_gui_tms_test or *_gui_outrig_test.
function(voq_add_unit_tests prefix dir)
  cmake_parse_arguments(ARG "" "WINE_PREFIX" "LIBS;FLAVOURS" ${ARGN})
  set(where)
  if(ARG_WINE_PREFIX)
    set(where WINE_PREFIX ${ARG_WINE_PREFIX})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS "${dir}/tests/*_test.cpp")
  file(GLOB support CONFIGURE_DEPENDS "${dir}/tests/support/*.cpp")
  if(WIN32)
    file(GLOB support_rc CONFIGURE_DEPENDS "${dir}/tests/support/*.rc")
    list(APPEND support ${support_rc})
    # The resource compiler's includes (bitmaps, animations, binary data)
    # are not tracked by the build: a changed one must rebuild the scripts.
    file(GLOB support_data CONFIGURE_DEPENDS "${dir}/tests/support/*")
    list(FILTER support_data EXCLUDE REGEX "\\.(cpp|h|rc|py)$")
    # ... nor the framework's shared resource scripts that they include.
    file(GLOB shared_rc CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/framework/ui/fw_*.rc"
         "${PROJECT_SOURCE_DIR}/framework/ui/bitmaps/*")
    list(APPEND support_data ${shared_rc})
    if(support_rc AND support_data)
      set_property(SOURCE ${support_rc} APPEND PROPERTY OBJECT_DEPENDS ${support_data})
    endif()
  endif()
  foreach(t IN LISTS tests)
    get_filename_component(stem "${t}" NAME_WE)
    set(name "${prefix}_${stem}")
    set(libs ${ARG_LIBS})
    foreach(fl IN LISTS ARG_FLAVOURS)
      string(REPLACE "=" ";" pair "${fl}")
      list(GET pair 0 suffix)
      list(GET pair 1 lib)
      if(stem MATCHES "${suffix}$")
        list(TRANSFORM libs REPLACE "^fw_rigger$" "${lib}")
      endif()
    endforeach()
    add_executable(${name} "${t}" ${support})
    voq_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${libs} GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE "VOQ_TEST_DATA_DIR=\"${dir}/tests/data\"")
    if(stem MATCHES "_gui(_tms|_outrig)?_test$")
      voq_register_test(${name} GUI ${where})
    else()
      voq_register_test(${name} ${where})
    endif()
  endforeach()
endfunction()

# Reads a built deliverable's export and import tables and fails on an export
# that its .def file does not name (or a name the .def lists that is missing),
# and on an import from a DLL that is neither a Windows system DLL nor one of
# ALLOW.
function(voq_check_binary target)
  cmake_parse_arguments(ARG "" "DEF" "ALLOW" ${ARGN})
  set(def "${ARG_DEF}")
  if(NOT def)
    set(def "-")
  endif()
  string(JOIN "," allow ${ARG_ALLOW})
  add_test(NAME check_pe_${target}
           COMMAND "${PROJECT_SOURCE_DIR}/cmake/check-pe.sh" "$<TARGET_FILE:${target}>" "${def}" "${allow}")
  voq_objdump_env(check_pe_${target})
endfunction()

# Tests that read a PE file (label "pe") use the objdump of this build's
# toolchain. They run no Windows program, so they run on every host.
function(voq_objdump_env test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
  set_property(TEST ${test} APPEND PROPERTY LABELS pe)
endfunction()
