# The layer boundaries of the tree, checked every time the build is
# configured. Four rules:
#
#   sqlite      only platform/dao reaches SQLite: includes sqlite3.h, links
#               PkgConfig::SQLITE3 (or any sqlite3 library);
#   platform    nothing under platform/ includes or links core/, app/,
#               messages/ or a form folder;
#   captionctl  captionctl/ includes and links only captionctl/,
#               platform/com, platform/profile, Qt and the standard library;
#   mdbtools    only platform/mdbreader reaches mdbtools, the reader of Windows-era
#               Access files: includes mdbtools.h or mdbsql.h, links
#               PkgConfig::MDBTOOLS (or any mdb / mdbsql library);
#   model       model/ holds no widgets: it reaches only model/, platform/
#               (not its forms or reporting layers), Qt Core and the standard
#               library;
#   backup      backup/ holds no widgets either: it reaches only backup/,
#               platform/ (not its forms or reporting layers), Qt Core and the
#               standard library.
#
# They are checked on the #include lines of every source below the program's
# folders (a new file is picked up on the next build), and on the link list of
# every target those folders define. Tests and benchmarks are not checked:
# they read the files with SQLite itself to check the engine against it.
#
# Each place that breaks a rule is printed on a line of its own, naming the
# file or target, what it reaches and the rule; then the configure step fails.
#
#   include(cmake/TqenBoundaries.cmake)
#   ... every add_subdirectory ...
#   tqen_check_boundaries()

set(TQEN_FORM_DIRS list status reports codemaster maintenance hints templates history figures)
set(TQEN_PROGRAM_DIRS model backup core app messages ${TQEN_FORM_DIRS})
set(TQEN_CHECKED_DIRS platform captionctl tools ${TQEN_PROGRAM_DIRS})
set(TQEN_CAPTIONCTL_USES captionctl platform/com platform/profile)

# Places that break a rule knowingly, as "file|include" or "target|item":
# each is a debt to pay off, listed here so that it stays in sight. None now.
set(TQEN_BOUNDARY_EXCEPTIONS "")

set(TQEN_RULE_SQLITE "only platform/dao reaches SQLite (sqlite3.h, PkgConfig::SQLITE3)")
set(TQEN_RULE_MDBTOOLS "only platform/mdbreader reaches mdbtools (mdbtools.h, mdbsql.h, PkgConfig::MDBTOOLS)")
string(JOIN ", " _tqen_form_dirs_text ${TQEN_FORM_DIRS})
set(TQEN_RULE_PLATFORM "nothing under platform/ reaches core/, app/, messages/ or a form folder (${_tqen_form_dirs_text})")
set(TQEN_RULE_MODEL "model/ reaches only model/, platform/ (not platform/forms or platform/reporting), Qt Core and the standard library")
set(TQEN_RULE_BACKUP "backup/ reaches only backup/, platform/ (not platform/forms or platform/reporting), Qt Core and the standard library")
set(TQEN_RULE_CAPTIONCTL "captionctl/ reaches only captionctl/, platform/com, platform/profile, Qt and the standard library")

# True when path (relative to the source tree) lies in one of the folders.
function(_tqen_under path folders out)
  foreach(folder ${folders})
    if(path STREQUAL folder OR path MATCHES "^${folder}/")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

# The rule that `from` (a file or folder of the tree) breaks by reaching `to`:
# a file or folder of the tree, or something from outside it written as
# "<header>" (an include) or "lib:name" (a library or imported target). Empty
# when no rule is broken.
function(_tqen_broken_rule from to out)
  set(rule "")
  string(TOLOWER "${to}" lower)
  _tqen_under("${from}" platform/dao in_dao)
  _tqen_under("${from}" platform in_platform)
  _tqen_under("${from}" captionctl in_captionctl)
  _tqen_under("${from}" platform/mdbreader in_mdbreader)
  _tqen_under("${from}" model in_model)
  _tqen_under("${from}" backup in_backup)
  if((lower MATCHES "(^<|/|^)mdb(tools|sql)\\.h>?$")
     OR (lower MATCHES "^lib:" AND lower MATCHES "(mdbtools|^lib:(-l)?mdb(sql)?$|libmdb)"))
    if(NOT in_mdbreader)
      set(rule "${TQEN_RULE_MDBTOOLS}")
    endif()
  elseif(lower MATCHES "(^<|/|^)sqlite3(ext)?\\.h>?$" OR (lower MATCHES "^lib:" AND lower MATCHES "sqlite"))
    if(NOT in_dao)
      set(rule "${TQEN_RULE_SQLITE}")
    endif()
  elseif(to MATCHES "^<" OR to MATCHES "^lib:")
    # From outside the tree: Qt, the standard library and the system.
    if(in_model AND (to MATCHES "^<Qt?(Widgets|Gui|PrintSupport)" OR to MATCHES "^<Q(Widget|Dialog|MessageBox|Application|Label|PushButton|Layout)"
                     OR to MATCHES "^lib:Qt6?::(Widgets|Gui|PrintSupport)$"))
      set(rule "${TQEN_RULE_MODEL}")
    endif()
    if(in_backup AND (to MATCHES "^<Qt?(Widgets|Gui|PrintSupport)" OR to MATCHES "^<Q(Widget|Dialog|MessageBox|Application|Label|PushButton|Layout)"
                      OR to MATCHES "^lib:Qt6?::(Widgets|Gui|PrintSupport)$"))
      set(rule "${TQEN_RULE_BACKUP}")
    endif()
    if(in_captionctl AND NOT (to MATCHES "^<Q[A-Za-z0-9_/.]*>$" OR to MATCHES "^<[a-z_]+>$"
                              OR to MATCHES "^lib:(Qt6?::|Threads::Threads$)"))
      set(rule "${TQEN_RULE_CAPTIONCTL}")
    endif()
  else()
    _tqen_under("${to}" "${TQEN_PROGRAM_DIRS}" to_program)
    _tqen_under("${to}" "${TQEN_CAPTIONCTL_USES}" to_captionctl_use)
    _tqen_under("${to}" "model;platform" to_model_use)
    _tqen_under("${to}" "platform/forms;platform/reporting" to_widgets)
    _tqen_under("${to}" "backup;platform" to_backup_use)
    if(in_platform AND to_program)
      set(rule "${TQEN_RULE_PLATFORM}")
    elseif(in_model AND (NOT to_model_use OR to_widgets))
      set(rule "${TQEN_RULE_MODEL}")
    elseif(in_backup AND (NOT to_backup_use OR to_widgets))
      set(rule "${TQEN_RULE_BACKUP}")
    elseif(in_captionctl AND NOT to_captionctl_use)
      set(rule "${TQEN_RULE_CAPTIONCTL}")
    endif()
  endif()
  set(${out} "${rule}" PARENT_SCOPE)
endfunction()

# What an include names: a file of the tree (relative to it) or "<header>".
# A quoted name is a file beside the including one when it is there, has no
# folder in it (a file Qt's tools write, say) or climbs with "../"; a name
# whose first folder is a folder of the tree is that folder's file.
function(_tqen_include_target file delimiter name top_dirs out)
  get_filename_component(dir "${file}" DIRECTORY)
  if(delimiter STREQUAL "\"" AND (NOT name MATCHES "/" OR name MATCHES "^\\.\\.?/"
                                  OR EXISTS "${CMAKE_SOURCE_DIR}/${dir}/${name}"))
    cmake_path(SET beside NORMALIZE "${dir}/${name}")
    if(NOT beside MATCHES "^\\.\\./")
      set(${out} "${beside}" PARENT_SCOPE)
      return()
    endif()
  endif()
  cmake_path(SET normal NORMALIZE "${name}")
  string(REGEX REPLACE "/.*" "" first "${normal}")
  if(first IN_LIST top_dirs)
    set(${out} "${normal}" PARENT_SCOPE)
  else()
    set(${out} "<${name}>" PARENT_SCOPE)
  endif()
endfunction()

# Appends a broken rule to the list in `found`, unless it is a known exception.
macro(_tqen_note_broken key line)
  if(NOT "${key}" IN_LIST TQEN_BOUNDARY_EXCEPTIONS)
    list(APPEND found "${line}")
  endif()
endmacro()

function(_tqen_check_includes out)
  # The tree's folders, and the program's even where this tree has none yet.
  file(GLOB top_dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/*)
  list(APPEND top_dirs ${TQEN_CHECKED_DIRS})
  set(patterns "")
  foreach(dir ${TQEN_CHECKED_DIRS})
    foreach(ext h hh hpp hxx c cc cpp cxx ipp inl)
      list(APPEND patterns ${CMAKE_SOURCE_DIR}/${dir}/*.${ext})
    endforeach()
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${patterns})
  list(SORT sources)
  set(found "")
  foreach(file ${sources})
    file(STRINGS ${CMAKE_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      if(NOT line MATCHES "#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(delimiter "${CMAKE_MATCH_1}")
      set(name "${CMAKE_MATCH_2}")
      _tqen_include_target("${file}" "${delimiter}" "${name}" "${top_dirs}" to)
      _tqen_broken_rule("${file}" "${to}" rule)
      if(rule)
        if(delimiter STREQUAL "<")
          set(spelled "<${name}>")
        else()
          set(spelled "\"${name}\"")
        endif()
        _tqen_note_broken("${file}|${spelled}" "${file} includes ${spelled}: ${rule}")
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Every target defined below dir, its subfolders' included.
function(_tqen_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    _tqen_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

function(_tqen_check_links out)
  _tqen_targets_below(${CMAKE_SOURCE_DIR} targets)
  set(found "")
  foreach(tgt ${targets})
    get_target_property(src ${tgt} SOURCE_DIR)
    file(RELATIVE_PATH from ${CMAKE_SOURCE_DIR} ${src})
    _tqen_under("${from}" "${TQEN_CHECKED_DIRS}" checked)
    if(NOT checked)
      continue()
    endif()
    get_target_property(type ${tgt} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(libs ${tgt} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(libs ${tgt} LINK_LIBRARIES)
    endif()
    if(NOT libs)
      continue()
    endif()
    foreach(lib ${libs})
      # Generator expressions that only wrap the library; directory markers.
      string(REGEX REPLACE "^\\$<(LINK_ONLY|BUILD_INTERFACE):(.*)>$" "\\2" lib "${lib}")
      if(lib MATCHES "^::@" OR lib MATCHES "^\\$<" OR lib STREQUAL "")
        continue()
      endif()
      set(to "lib:${lib}")
      if(TARGET ${lib})
        get_target_property(aliased ${lib} ALIASED_TARGET)
        if(aliased)
          set(lib ${aliased})
        endif()
        get_target_property(imported ${lib} IMPORTED)
        if(NOT imported)
          get_target_property(lib_src ${lib} SOURCE_DIR)
          file(RELATIVE_PATH to ${CMAKE_SOURCE_DIR} ${lib_src})
        endif()
      endif()
      _tqen_broken_rule("${from}" "${to}" rule)
      if(rule)
        _tqen_note_broken("${tgt}|${lib}" "target ${tgt} (${from}/) links ${lib}: ${rule}")
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Checks every rule; call it once every target is defined.
function(tqen_check_boundaries)
  _tqen_check_includes(includes)
  _tqen_check_links(links)
  set(broken ${includes} ${links})
  list(LENGTH broken count)
  if(count GREATER 0)
    foreach(line ${broken})
      message(NOTICE "Layer boundary broken: ${line}")
    endforeach()
    message(FATAL_ERROR "${count} place(s) break the layer boundaries; each is listed above.")
  endif()
endfunction()
