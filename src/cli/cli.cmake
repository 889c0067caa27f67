# xraycalc-cli: sessions, spectra and DQE from the command line (no Qt).
find_package(CLI11 REQUIRED)

add_executable(xraycalc-cli
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commands.cpp
)
target_link_libraries(xraycalc-cli PRIVATE xraycalc_session xraycalc_core CLI11::CLI11 nlohmann_json::nlohmann_json)
target_compile_definitions(xraycalc-cli PRIVATE XRAYCALC_VERSION="${PROJECT_VERSION}")
