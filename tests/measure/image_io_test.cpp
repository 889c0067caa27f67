// Reading images: every supported format and compression gives back the
// pixels written with DCMTK or libtiff directly, the pitch where the file
// states one; everything else is refused with a message naming the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "image_files.h"
#include "image_generator.h"
#include "measure/image_io.h"
#include "measure_test_support.h"
#include "shipped_images.h"

namespace xray::measure::test {
namespace {

// An odd-sized image whose values span the 16-bit range, the extremes
// included: a ramp with 12 bits of noise, like a detector's. (Incompressible
// 16-bit noise, no image's content, trips the JPEG-LS codec of DCMTK 3.6.7.)
Image Pattern() {
  Image image;
  image.width = 37;
  image.height = 23;
  Random random(5);
  for (int i = 0; i < image.width * image.height; ++i) {
    image.pixels.push_back(std::floor(1000 + 60000.0 * (i % image.width) / image.width + 4096 * random.Uniform()));
  }
  image.pixels[0] = 0;
  image.pixels[1] = 65535;
  return image;
}

void ExpectPixels(const Image& read, const Image& written, const std::string& what) {
  ASSERT_EQ(read.width, written.width) << what;
  ASSERT_EQ(read.height, written.height) << what;
  EXPECT_EQ(read.pixels, written.pixels) << what;
}

struct Format {
  std::string what;
  std::string file;
  std::function<void(const std::string&, const Image&)> write;
  std::optional<double> pitch;  // what the reader should find
  std::optional<RawLayout> raw = std::nullopt;
};

TEST(ImageIo, EveryFormatReadsBackTheWrittenPixelsAndPitch) {
  const Image image = Pattern();
  auto tiff = [](TiffOptions o) { return [o](const std::string& p, const Image& i) { WriteTiff(p, i, o); }; };
  auto dicom = [](DicomOptions o) { return [o](const std::string& p, const Image& i) { WriteDicom(p, i, o); }; };
  auto dicom_in = [&](const std::string& transfer) {
    DicomOptions o;
    o.transfer = transfer;
    o.imager_pixel_spacing = 0.139;
    return dicom(o);
  };
  DicomOptions both_spacings, pixel_spacing, bare;
  both_spacings.imager_pixel_spacing = 0.1;
  both_spacings.pixel_spacing = 0.2;  // calibrated to another plane: the detector's own wins
  pixel_spacing.pixel_spacing = 0.2;
  bare.preamble = false;
  TiffOptions cm, inch, tiled, screen, unitless;
  cm.deflate = true, cm.resolution = 100, cm.resolution_unit = 3;
  inch.resolution = 254, inch.resolution_unit = 2;
  tiled.tiled = true, tiled.deflate = true;
  screen.resolution = 72, screen.resolution_unit = 2;
  unitless.resolution = 100, unitless.resolution_unit = 1;

  const std::vector<Format> formats = {
      {"PGM", "a.pgm", [](const std::string& p, const Image& i) { WritePgm(p, i); }, {}},
      {"raw", "a.raw", [](const std::string& p, const Image& i) { WriteRaw(p, i); }, {}, RawLayout{37, 23, 0}},
      {"raw after a header", "b.raw", [](const std::string& p, const Image& i) { WriteRaw(p, i, 100); }, {},
       RawLayout{37, 23, 100}},
      {"TIFF strips", "a.tif", tiff({}), {}},
      {"TIFF deflate, pixels per cm", "b.tif", tiff(cm), 0.1},
      {"TIFF pixels per inch", "c.tif", tiff(inch), 0.1},
      {"TIFF tiles", "d.tif", tiff(tiled), {}},
      {"TIFF at 72 dpi, a screen default", "e.tif", tiff(screen), {}},
      {"TIFF resolution without unit", "f.tif", tiff(unitless), {}},
      {"DICOM explicit VR", "a.dcm", dicom_in("explicit"), 0.139},
      {"DICOM implicit VR", "b.dcm", dicom_in("implicit"), 0.139},
      {"DICOM big-endian", "c.dcm", dicom_in("big-endian"), 0.139},
      {"DICOM deflated", "d.dcm", dicom_in("deflated"), 0.139},
      {"DICOM RLE", "e.dcm", dicom_in("rle"), 0.139},
      {"DICOM JPEG lossless", "f.dcm", dicom_in("jpeg-lossless"), 0.139},
      {"DICOM JPEG-LS lossless", "g.dcm", dicom_in("jpeg-ls"), 0.139},
      {"DICOM both spacings", "h.dcm", dicom(both_spacings), 0.1},
      {"DICOM PixelSpacing", "i.dcm", dicom(pixel_spacing), 0.2},
      {"DICOM without preamble", "j", dicom(bare), {}},
  };
  const ScratchDir dir;
  for (const Format& f : formats) {
    const std::string path = dir.Path(f.file);
    f.write(path, image);
    const Image read = ReadImage(path, f.raw);
    ExpectPixels(read, image, f.what);
    EXPECT_EQ(read.name, path) << f.what;
    EXPECT_EQ(read.pitch_x_mm.has_value(), f.pitch.has_value()) << f.what;
    EXPECT_EQ(read.pitch_y_mm.has_value(), f.pitch.has_value()) << f.what;
    if (f.pitch && read.pitch_x_mm && read.pitch_y_mm) {
      EXPECT_NEAR(*read.pitch_x_mm, *f.pitch, 1e-6) << f.what;
      EXPECT_NEAR(*read.pitch_y_mm, *f.pitch, 1e-6) << f.what;
      EXPECT_FALSE(read.pitch_source.empty()) << f.what;
    }
  }
}

TEST(ImageIo, SignedAndNarrowDicomValues) {
  Image image;
  image.width = 4;
  image.height = 1;
  image.pixels = {-32768, -1, 0, 32767};
  const ScratchDir dir;
  DicomOptions o;
  o.is_signed = true;
  WriteDicom(dir.Path("s.dcm"), image, o);
  ExpectPixels(ReadImage(dir.Path("s.dcm")), image, "signed");

  // 12 bits stored of 16 allocated, with bits above them set in the file (an
  // overlay, say): only the stored bits count.
  image.pixels = {0x0FFF, 0x1000 | 5, 0xF000 | 7, 0};
  o.is_signed = false;
  o.bits_stored = 12;
  WriteDicom(dir.Path("n.dcm"), image, o);
  EXPECT_EQ(ReadImage(dir.Path("n.dcm")).pixels, (std::vector<double>{4095, 5, 7, 0}));
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void Truncate(const std::string& path, std::uintmax_t size) { std::filesystem::resize_file(path, size); }

TEST(ImageIo, UnusableFilesAreRefusedNamingTheFile) {
  const Image image = Pattern();
  const ScratchDir dir;
  struct Bad {
    std::string what;
    std::string file;
    std::function<void(const std::string&)> write;
    std::string_view message;
    std::optional<RawLayout> raw = std::nullopt;
  };
  auto tiff = [&](TiffOptions o) { return [&image, o](const std::string& p) { WriteTiff(p, image, o); }; };
  auto dicom = [&](DicomOptions o) { return [&image, o](const std::string& p) { WriteDicom(p, image, o); }; };
  TiffOptions tiff8, rgb, floats;
  tiff8.bits = 8;
  rgb.samples = 3;
  floats.float_samples = true;
  DicomOptions dicom8, colour, frames, lossy;
  dicom8.bits = 8;
  colour.bits = 8, colour.samples = 3;
  frames.frames = 2;
  lossy.bits = 8, lossy.transfer = "jpeg-baseline";
  const std::vector<Bad> cases = {
      {"missing", "missing.dcm", [](const std::string&) {}, msg::kCannotOpen},
      {"a directory", "dir", [](const std::string& p) { std::filesystem::create_directory(p); }, msg::kCannotOpen},
      {"empty", "empty", [](const std::string& p) { WriteText(p, ""); }, msg::kNotAnImage},
      {"text", "table.txt", [](const std::string& p) { WriteText(p, "c/mm\tMTF\n0\t1\n"); }, msg::kNotAnImage},
      {"8-bit PGM", "a.pgm", [&](const std::string& p) { WritePgm(p, image, 255); }, msg::kNotSixteenBit},
      {"colour PPM", "a.ppm", [](const std::string& p) { WriteText(p, "P6\n1 1\n255\nabc"); }, msg::kNotGrey},
      {"PGM cut short", "b.pgm", [&](const std::string& p) { WritePgm(p, image); Truncate(p, 100); }, msg::kBadPgm},
      {"PGM header malformed", "c.pgm", [](const std::string& p) { WriteText(p, "P5\n12 x\n65535\n"); }, msg::kBadPgm},
      {"8-bit TIFF", "a.tif", tiff(tiff8), msg::kNotSixteenBit},
      {"RGB TIFF", "b.tif", tiff(rgb), msg::kNotGrey},
      {"floating-point TIFF", "c.tif", tiff(floats), msg::kFloatPixels},
      {"TIFF cut short", "d.tif", [&](const std::string& p) { WriteTiff(p, image); Truncate(p, 600); }, msg::kBadTiff},
      {"8-bit DICOM", "a.dcm", dicom(dicom8), msg::kNotSixteenBit},
      {"colour DICOM", "b.dcm", dicom(colour), msg::kNotGrey},
      {"two-frame DICOM", "c.dcm", dicom(frames), msg::kDicomFrames},
      {"lossy JPEG DICOM", "d.dcm", dicom(lossy), msg::kDicomLossy},
      {"DICOM cut short", "e.dcm", [&](const std::string& p) { dicom({})(p); Truncate(p, 400); }, msg::kBadDicom},
      {"raw of another size", "a.raw", [&](const std::string& p) { WriteRaw(p, image); }, msg::kRawSize,
       RawLayout{36, 23, 0}},
      {"raw with a header too long", "b.raw", [&](const std::string& p) { WriteRaw(p, image); }, msg::kRawSize,
       RawLayout{37, 23, 10000}},
      {"raw without a height", "c.raw", [&](const std::string& p) { WriteRaw(p, image); }, msg::kRawDimensions,
       RawLayout{37, 0, 0}},
  };
  for (const Bad& c : cases) {
    const std::string path = dir.Path(c.file);
    c.write(path);
    const std::string message = MeasureErrorOf([&] { ReadImage(path, c.raw); });
    EXPECT_TRUE(MatchesTemplate(message, c.message)) << c.what << ": " << message;
    if (c.message != msg::kRawDimensions) {
      EXPECT_NE(message.find(path), std::string::npos) << c.what << ": " << message;
    }
  }
}

// The images shipped in tests/measure/data hold what their generator makes.
TEST(ImageIo, ShippedImagesHoldTheirGeneratedPixels) {
  for (const ShippedImage& shipped : ShippedImages()) {
    const Image read = ReadImage(std::string(XRAYCALC_MEASURE_DATA) + "/" + shipped.file);
    ExpectPixels(read, shipped.image, shipped.file);
    ASSERT_TRUE(read.pitch_x_mm.has_value()) << shipped.file;
    EXPECT_NEAR(*read.pitch_x_mm, kShippedPitchMm, 1e-6) << shipped.file;
  }
}

}  // namespace
}  // namespace xray::measure::test
