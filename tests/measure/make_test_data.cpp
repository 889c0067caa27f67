// Writes the images of tests/measure/data again:
//   measure_test_data DIRECTORY
#include <cstdio>
#include <exception>
#include <filesystem>

#include "shipped_images.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: measure_test_data DIRECTORY\n");
    return 2;
  }
  try {
    for (const auto& shipped : xray::measure::test::ShippedImages()) {
      const std::filesystem::path path = std::filesystem::path(argv[1]) / shipped.file;
      shipped.write(path.string(), shipped.image);
      std::printf("%s\t%ju bytes\n", path.c_str(), static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "measure_test_data: %s\n", e.what());
    return 1;
  }
  return 0;
}
