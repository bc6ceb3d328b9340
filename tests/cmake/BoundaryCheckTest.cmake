# Runs the layer-boundary check on a small tree shaped like ours: first as it
# is (it must configure), then once for each case with one file or link that
# breaks a rule (the configure must fail and print the case's line). Last, a
# file added after a clean configure must fail the next build, which
# configures again.
#
#   cmake -DTQEN_MODULE=<cmake/TqenBoundaries.cmake> -DWORK=<folder> -DGENERATOR=<generator> -P BoundaryCheckTest.cmake

set(src ${WORK}/tree)
set(bin ${WORK}/build)
set(failures 0)

# The tree: a library per folder, with the includes each may have.
function(write_clean_tree)
  file(REMOVE_RECURSE ${src})
  file(WRITE ${src}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(Tiny LANGUAGES C)
add_library(PkgConfig::SQLITE3 INTERFACE IMPORTED)
add_library(PkgConfig::MDBTOOLS INTERFACE IMPORTED)
add_library(Qt6::Widgets INTERFACE IMPORTED)
include(${TQEN_MODULE})
foreach(dir platform/dao platform/mdbreader platform/com platform/forms core captionctl backup model)
  add_subdirectory(\${dir})
endforeach()
tqen_check_boundaries()
")
  set(libs_platform/dao "PkgConfig::SQLITE3")
  set(libs_platform/mdbreader "PkgConfig::MDBTOOLS")
  set(libs_platform/forms "tqen_platform_dao")
  set(libs_core "tqen_platform_forms")
  set(libs_captionctl "tqen_platform_com Qt6::Widgets")
  set(libs_backup "tqen_platform_dao")
  set(libs_model "tqen_platform_dao")
  foreach(dir platform/dao platform/mdbreader platform/com platform/forms core captionctl backup model)
    string(REPLACE "/" "_" name "tqen_${dir}")
    file(WRITE ${src}/${dir}/CMakeLists.txt
         "add_library(${name} STATIC Unit.c)\ntarget_link_libraries(${name} PUBLIC ${libs_${dir}})\n")
    file(WRITE ${src}/${dir}/Unit.c "int unit_${name}(void) { return 0; }\n")
  endforeach()
  file(WRITE ${src}/platform/dao/Engine.cpp "#include <sqlite3.h>\n#include \"platform/dao/Engine.h\"\n")
  file(WRITE ${src}/platform/dao/Engine.h "#include <QString>\n")
  file(WRITE ${src}/platform/mdbreader/Reader.cpp "#include <mdbtools.h>\n#include \"platform/mdbreader/Reader.h\"\n")
  file(WRITE ${src}/platform/forms/Grid.cpp "#include \"platform/dao/Engine.h\"\n  #  include <vector>\n")
  file(WRITE ${src}/model/Book.cpp "#include \"platform/dao/Engine.h\"\n#include <QDate>\n")
  file(WRITE ${src}/backup/Pack.cpp "#include \"platform/dao/Engine.h\"\n#include <QString>\n")
  file(WRITE ${src}/core/Api.cpp "#include \"platform/forms/Grid.h\"\n#include \"Api.h\"\n")
  file(WRITE ${src}/captionctl/Ctl.cpp
       "#include \"captionctl/Ctl.h\"\n#include \"Local.h\"\n#include \"platform/com/Guid.h\"\n#include <QWidget>\n#include <cstdint>\n// #include \"core/Api.h\" is a comment\n")
endfunction()

function(configure out_result out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${src} -B ${bin} -G ${GENERATOR}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

function(fail text)
  message(NOTICE "FAILED: ${text}")
  math(EXPR n "${failures} + 1")
  set(failures ${n} PARENT_SCOPE)
endfunction()

# A case: the file to write (or append to) and the line the check must print.
set(rule_sqlite "only platform/dao reaches SQLite")
set(rule_platform "nothing under platform/ reaches core/")
set(rule_captionctl "captionctl/ reaches only captionctl/, platform/com, platform/profile")
set(rule_mdbtools "only platform/mdbreader reaches mdbtools")
set(rule_model "model/ reaches only model/, platform/ (not platform/forms or platform/reporting), Qt Core")
set(rule_backup "backup/ reaches only backup/, platform/ (not platform/forms or platform/reporting)")
set(cases
  "core/Old.cpp|#include <mdbtools.h>|core/Old.cpp includes <mdbtools.h>: ${rule_mdbtools}"
  "platform/dao/Old.cpp|#include <mdbsql.h>|platform/dao/Old.cpp includes <mdbsql.h>: ${rule_mdbtools}"
  "core/CMakeLists.txt|target_link_libraries(tqen_core PRIVATE PkgConfig::MDBTOOLS)|target tqen_core (core/) links PkgConfig::MDBTOOLS: ${rule_mdbtools}"
  "core/CMakeLists.txt|target_link_libraries(tqen_core PRIVATE mdb)|target tqen_core (core/) links mdb: ${rule_mdbtools}"
  "platform/forms/Up.cpp|#include \"core/Api.h\"|platform/forms/Up.cpp includes \"core/Api.h\": ${rule_platform}"
  "platform/forms/Up.cpp|#include \"../../core/Api.h\"|platform/forms/Up.cpp includes \"../../core/Api.h\": ${rule_platform}"
  "platform/com/Up.h|#include <maintenance/FrmHosyu.h>|platform/com/Up.h includes <maintenance/FrmHosyu.h>: ${rule_platform}"
  "core/Direct.cpp|#include <sqlite3.h>|core/Direct.cpp includes <sqlite3.h>: ${rule_sqlite}"
  "captionctl/Ctl.cpp|#include \"platform/dao/Engine.h\"|captionctl/Ctl.cpp includes \"platform/dao/Engine.h\": ${rule_captionctl}"
  "captionctl/Ctl.cpp|#include <sys/mman.h>|captionctl/Ctl.cpp includes <sys/mman.h>: ${rule_captionctl}"
  "platform/forms/CMakeLists.txt|target_link_libraries(tqen_platform_forms PUBLIC tqen_core)|target tqen_platform_forms (platform/forms/) links tqen_core: ${rule_platform}"
  "core/CMakeLists.txt|target_link_libraries(tqen_core PRIVATE PkgConfig::SQLITE3)|target tqen_core (core/) links PkgConfig::SQLITE3: ${rule_sqlite}"
  "captionctl/CMakeLists.txt|target_link_libraries(tqen_captionctl PRIVATE tqen_platform_dao)|target tqen_captionctl (captionctl/) links tqen_platform_dao: ${rule_captionctl}"
  "backup/Pack.cpp|#include <QMessageBox>|backup/Pack.cpp includes <QMessageBox>: ${rule_backup}"
  "backup/Pack.cpp|#include \"platform/forms/Grid.h\"|backup/Pack.cpp includes \"platform/forms/Grid.h\": ${rule_backup}"
  "backup/CMakeLists.txt|target_link_libraries(tqen_backup PRIVATE tqen_core)|target tqen_backup (backup/) links tqen_core: ${rule_backup}"
  "model/Show.cpp|#include <QMessageBox>|model/Show.cpp includes <QMessageBox>: ${rule_model}"
  "model/Show.cpp|#include \"platform/forms/Interaction.h\"|model/Show.cpp includes \"platform/forms/Interaction.h\": ${rule_model}"
  "model/Show.cpp|#include \"messages/Msg.h\"|model/Show.cpp includes \"messages/Msg.h\": ${rule_model}"
  "model/Show.cpp|#include \"app/TqenMain.h\"|model/Show.cpp includes \"app/TqenMain.h\": ${rule_model}"
  "model/CMakeLists.txt|target_link_libraries(tqen_model PRIVATE Qt6::Widgets)|target tqen_model (model/) links Qt6::Widgets: ${rule_model}"
  "platform/dao/Up.cpp|#include \"backup/Pack.h\"|platform/dao/Up.cpp includes \"backup/Pack.h\": ${rule_platform}"
)

write_clean_tree()
configure(result output)
if(NOT result EQUAL 0)
  fail("the tree that keeps every rule did not configure:\n${output}")
endif()

foreach(case ${cases})
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 file)
  list(GET parts 1 text)
  list(GET parts 2 expected)
  write_clean_tree()
  file(APPEND ${src}/${file} "${text}\n")
  configure(result output)
  string(FIND "${output}" "Layer boundary broken: ${expected}" at)
  if(result EQUAL 0)
    fail("${file} with '${text}' configured")
  elseif(at LESS 0)
    fail("${file} with '${text}' did not print '${expected}':\n${output}")
  endif()
endforeach()

# A new file is checked on the next build, without running cmake by hand.
write_clean_tree()
configure(result output)
if(NOT result EQUAL 0)
  fail("the tree that keeps every rule did not configure:\n${output}")
else()
  file(WRITE ${src}/platform/forms/New.cpp "#include \"core/Api.h\"\n")
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${bin}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(FIND "${output}" "Layer boundary broken: platform/forms/New.cpp includes \"core/Api.h\"" at)
  if(result EQUAL 0 OR at LESS 0)
    fail("a file added after the configure did not fail the build:\n${output}")
  endif()
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} boundary case(s) failed")
endif()
message(STATUS "every boundary case failed as it should, and the clean tree configured")
