# The subsystems of src/ and what each may use: the one table of the program's
# dependencies. src/CMakeLists.txt makes a library of each row and links it to
# the rows it uses; cmake/check-layers.cmake (ctest -R layers) reads the same
# table to name any file that includes what its row may not use.
#
# A row owns the files under its paths (a folder "core/", or a file name's
# start "ui/Navigator."); a file belongs to the row with the longest path that
# starts its name. A row may use only rows written above it, so the table has
# no cycle; what a row uses, it may include, and what those use, too.
#
# Each library offers the headers of its own row only (a folder of links in
# the build tree, ZORVA_SUBSYSTEM_VIEWS), and links the rows it uses: the
# compiler finds exactly the headers the table allows, and an include of any
# other does not compile.
#
#  row              paths                        uses
#  logic: Qt Core and Gui, no widgets
#  store            store/                       -
#  core             core/ resources/             store
#  selection        selection/                   core
#  enterprise       enterprise/                  selection core
#  reports_prep     reports/prep/                enterprise core
#  reports_render   reports/render/              reports_prep core
#  screens: Qt Widgets
#  ui               ui/                          core            the screen base, services, start and about
#  selection_ui     selection/ui/                selection ui
#  enterprise_ui    enterprise/ui/               enterprise ui
#  reports_ui       reports/ui/                  reports_render ui
#  gui              ui/Navigator. main.cpp       selection_ui enterprise_ui reports_ui

set(ZORVA_SUBSYSTEMS)

# zorva_subsystem(NAME LOGIC|SCREENS PATHS path... [USES row...])
macro(zorva_subsystem _name _kind)
  cmake_parse_arguments(_ZS "" "" "PATHS;USES" ${ARGN})
  foreach(_use IN LISTS _ZS_USES)
    if(NOT _use IN_LIST ZORVA_SUBSYSTEMS)
      message(FATAL_ERROR "Subsystem ${_name} uses ${_use}, which is not written above it: "
                          "a row may use only the rows above it, so that there is no cycle.")
    endif()
  endforeach()
  list(APPEND ZORVA_SUBSYSTEMS ${_name})
  set(ZORVA_SUBSYSTEM_${_name}_KIND ${_kind})
  set(ZORVA_SUBSYSTEM_${_name}_PATHS ${_ZS_PATHS})
  set(ZORVA_SUBSYSTEM_${_name}_USES ${_ZS_USES})
  # What the row may include: itself, what it uses and what those may include.
  set(_reach ${_name})
  foreach(_use IN LISTS _ZS_USES)
    list(APPEND _reach ${ZORVA_SUBSYSTEM_${_use}_REACH})
  endforeach()
  list(REMOVE_DUPLICATES _reach)
  set(ZORVA_SUBSYSTEM_${_name}_REACH ${_reach})
endmacro()

zorva_subsystem(store          LOGIC   PATHS store/)
zorva_subsystem(core           LOGIC   PATHS core/ resources/       USES store)
zorva_subsystem(selection      LOGIC   PATHS selection/             USES core)
zorva_subsystem(enterprise     LOGIC   PATHS enterprise/            USES selection core)
zorva_subsystem(reports_prep   LOGIC   PATHS reports/prep/          USES enterprise core)
zorva_subsystem(reports_render LOGIC   PATHS reports/render/        USES reports_prep core)
zorva_subsystem(ui             SCREENS PATHS ui/                    USES core)
zorva_subsystem(selection_ui   SCREENS PATHS selection/ui/          USES selection ui)
zorva_subsystem(enterprise_ui  SCREENS PATHS enterprise/ui/         USES enterprise ui)
zorva_subsystem(reports_ui     SCREENS PATHS reports/ui/            USES reports_render ui)
zorva_subsystem(gui            SCREENS PATHS ui/Navigator. main.cpp USES selection_ui enterprise_ui reports_ui)

# The row of a file, by its path under src/ ("enterprise/ui/frmMyValues.cpp"):
# the row with the longest path that starts it; empty when none does.
function(zorva_subsystem_of _rel _out)
  set(_best "")
  set(_best_len 0)
  foreach(_row IN LISTS ZORVA_SUBSYSTEMS)
    foreach(_path IN LISTS ZORVA_SUBSYSTEM_${_row}_PATHS)
      string(LENGTH "${_path}" _len)
      string(SUBSTRING "${_rel}" 0 ${_len} _start)
      if(_start STREQUAL _path AND _len GREATER _best_len)
        set(_best ${_row})
        set(_best_len ${_len})
      endif()
    endforeach()
  endforeach()
  set(${_out} "${_best}" PARENT_SCOPE)
endfunction()
