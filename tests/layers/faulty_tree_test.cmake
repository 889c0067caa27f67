# Builds a small tree with one fault of each kind the layer check must catch,
# runs the check on it and expects it to fail naming every faulty file, and to
# pass once the faults are gone.
file(REMOVE_RECURSE ${WORK_DIR})
file(WRITE ${WORK_DIR}/numeric/ok.h "#include <cmath>\n#include \"numeric/other.h\"\n")
file(WRITE ${WORK_DIR}/tables/up.cpp "#include \"form/form.h\"\n")
file(WRITE ${WORK_DIR}/spectrum/qt.cpp "#include <QString>\n")
file(WRITE ${WORK_DIR}/spectrum/lateral.cpp "#include \"exposure/calibration.h\"\n")
file(WRITE ${WORK_DIR}/cli/cross.cpp "#include \"gui/main_window.h\"\n")
file(WRITE ${WORK_DIR}/gui/fine.cpp "#include <QWidget>\n#include \"form/form.h\"\n")
file(WRITE ${WORK_DIR}/misc/x.cpp "int x;\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CHECKER}
  RESULT_VARIABLE status ERROR_VARIABLE output OUTPUT_VARIABLE output_too)
if(status EQUAL 0)
  message(FATAL_ERROR "the layer check passed a faulty tree")
endif()
foreach(expected "tables/up.cpp" "spectrum/qt.cpp" "cli/cross.cpp" "misc/x.cpp")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the layer check did not name ${expected}:\n${output}")
  endif()
endforeach()
foreach(innocent "numeric/ok.h" "spectrum/lateral.cpp" "gui/fine.cpp")
  string(FIND "${output}" "${innocent}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the layer check blamed ${innocent}:\n${output}")
  endif()
endforeach()

file(REMOVE ${WORK_DIR}/tables/up.cpp ${WORK_DIR}/spectrum/qt.cpp ${WORK_DIR}/cli/cross.cpp ${WORK_DIR}/misc/x.cpp)
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CHECKER}
  RESULT_VARIABLE status ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the layer check failed a sound tree:\n${output}")
endif()
