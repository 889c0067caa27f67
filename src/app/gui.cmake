# The Qt window: a static library (so that the GUI tests link the very same
# window) and the program that opens it, build/src/app/xraycalc.
find_package(Qt6 REQUIRED COMPONENTS Widgets Charts Test)

add_library(xraycalc_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/axis_labels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_look.cpp
  # Listed for moc: TForm1 declares Q_OBJECT.
  ${CMAKE_CURRENT_LIST_DIR}/main_window.h
)
set_target_properties(xraycalc_window PROPERTIES AUTOMOC ON)
target_link_libraries(xraycalc_window PUBLIC xraycalc_core Qt6::Widgets Qt6::Charts)

add_executable(xraycalc ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
set_target_properties(xraycalc PROPERTIES AUTOMOC ON)
target_link_libraries(xraycalc PRIVATE xraycalc_window)
