#include "measure/image_io.h"

#include <dcmtk/config/osconfig.h>  // must precede every other DCMTK header
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmdata/dcxfer.h>
#include <dcmtk/dcmjpeg/djdecode.h>
#include <dcmtk/dcmjpls/djdecode.h>
#include <dcmtk/oflog/oflog.h>
#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "measure/measure_error.h"

namespace xray::measure {

namespace {

std::string Str(long long v) { return std::to_string(v); }

void CheckSize(const std::string& path, long long width, long long height) {
  if (width <= 0 || height <= 0) Fail(msg::kEmptyImage, {path});
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) {
    Fail(msg::kTooLarge, {path, Str(width), Str(height), Str(static_cast<long long>(kMaxPixels))});
  }
}

Image EmptyImage(const std::string& path, int width, int height) {
  Image image;
  image.name = path;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  return image;
}

// The first bytes of the file, at most n; an unreadable file throws kCannotOpen.
std::vector<unsigned char> Head(const std::string& path, std::size_t n) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  std::vector<unsigned char> head(n);
  head.resize(std::fread(head.data(), 1, n, f.get()));
  if (std::ferror(f.get())) Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  return head;
}

std::vector<unsigned char> WholeFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  std::vector<unsigned char> bytes;
  std::size_t size = 0;
  for (;;) {
    bytes.resize(std::max<std::size_t>(size * 2, 1 << 16));
    size += std::fread(bytes.data() + size, 1, bytes.size() - size, f.get());
    if (size < bytes.size()) break;
  }
  if (std::ferror(f.get())) Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  bytes.resize(size);
  return bytes;
}

// ---- raw ----

Image ReadRaw(const std::string& path, const RawLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0) Fail(msg::kRawDimensions);
  CheckSize(path, layout.width, layout.height);
  std::error_code ec;
  const std::uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) Fail(msg::kCannotOpen, {path, ec.message()});
  const std::uint64_t data = 2 * static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
  if (layout.offset > size || size - layout.offset != data) {
    Fail(msg::kRawSize, {path, std::to_string(size), Str(layout.width), Str(layout.height),
                         std::to_string(layout.offset), std::to_string(layout.offset + data)});
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  std::vector<unsigned char> bytes(data);
  if (std::fseek(f.get(), static_cast<long>(layout.offset), SEEK_SET) != 0 ||
      std::fread(bytes.data(), 1, data, f.get()) != data) {
    Fail(msg::kCannotOpen, {path, std::strerror(errno)});
  }
  Image image = EmptyImage(path, layout.width, layout.height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = bytes[2 * i] | (bytes[2 * i + 1] << 8);
  return image;
}

// ---- PGM ----

// Reads the next header number of a PGM file, skipping white space and comments.
std::optional<long long> PgmNumber(const std::vector<unsigned char>& b, std::size_t& at) {
  for (;;) {
    while (at < b.size() && std::isspace(b[at])) ++at;
    if (at < b.size() && b[at] == '#') {
      while (at < b.size() && b[at] != '\n' && b[at] != '\r') ++at;
      continue;
    }
    break;
  }
  if (at >= b.size() || !std::isdigit(b[at])) return std::nullopt;
  long long v = 0;
  while (at < b.size() && std::isdigit(b[at])) {
    v = v * 10 + (b[at++] - '0');
    if (v > 1'000'000'000) return std::nullopt;
  }
  return v;
}

Image ReadPgm(const std::string& path) {
  const std::vector<unsigned char> b = WholeFile(path);
  const char kind = static_cast<char>(b[1]);
  if (kind == '3' || kind == '6') Fail(msg::kNotGrey, {path, "a colour PPM"});
  if (kind == '1' || kind == '4') Fail(msg::kNotSixteenBit, {path, "1"});
  if (kind != '5') Fail(msg::kNotAnImage, {path});
  std::size_t at = 2;
  const auto width = PgmNumber(b, at);
  const auto height = PgmNumber(b, at);
  const auto maxval = PgmNumber(b, at);
  if (!width || !height || !maxval || *maxval < 1 || *maxval > 65535 || at >= b.size() || !std::isspace(b[at])) {
    Fail(msg::kBadPgm, {path});
  }
  ++at;  // the single white-space character before the pixels
  if (*maxval < 256) Fail(msg::kNotSixteenBit, {path, "8"});
  CheckSize(path, *width, *height);
  const std::size_t n = static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height);
  if (b.size() - at < 2 * n) Fail(msg::kBadPgm, {path});
  Image image = EmptyImage(path, static_cast<int>(*width), static_cast<int>(*height));
  for (std::size_t i = 0; i < n; ++i) image.pixels[i] = (b[at + 2 * i] << 8) | b[at + 2 * i + 1];
  return image;
}

// ---- TIFF ----

// libtiff's messages for one file, kept instead of printed.
int KeepTiffMessage(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, ap);
  auto* kept = static_cast<std::string*>(user);
  if (kept->empty()) *kept = (module && *module ? std::string(module) + ": " : std::string()) + text;
  return 1;
}
int IgnoreTiffMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

void SetTiffPitch(TIFF* tif, Image& image) {
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres)) return;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (!(xres > 0 && yres > 0 && std::isfinite(xres) && std::isfinite(yres))) return;
  double mm_per_unit = 0;
  if (unit == RESUNIT_CENTIMETER) mm_per_unit = 10;
  if (unit == RESUNIT_INCH) {
    // 72 and 96 pixels per inch are what image programs write when they know nothing.
    const bool screen_default = (xres == 72 && yres == 72) || (xres == 96 && yres == 96);
    if (!screen_default) mm_per_unit = 25.4;
  }
  if (mm_per_unit == 0) return;
  image.pitch_x_mm = mm_per_unit / xres;
  image.pitch_y_mm = mm_per_unit / yres;
  image.pitch_source = "TIFF resolution";
}

Image ReadTiff(const std::string& path) {
  std::string error;
  std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(), &TIFFOpenOptionsFree);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &KeepTiffMessage, &error);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &IgnoreTiffMessage, nullptr);
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpenExt(path.c_str(), "r", options.get()), &TIFFClose);
  if (!tif) Fail(msg::kBadTiff, {path, error.empty() ? "not a TIFF file" : error});
  TIFF* t = tif.get();

  std::uint32_t width = 0, height = 0;
  std::uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, photometric = PHOTOMETRIC_MINISBLACK;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
  if (samples != 1) Fail(msg::kNotGrey, {path, Str(samples) + " samples per pixel"});
  if (photometric == PHOTOMETRIC_PALETTE) Fail(msg::kNotGrey, {path, "a palette"});
  if (format == SAMPLEFORMAT_IEEEFP) Fail(msg::kFloatPixels, {path});
  if (bits != 16) Fail(msg::kNotSixteenBit, {path, Str(bits)});
  CheckSize(path, width, height);
  const bool is_signed = format == SAMPLEFORMAT_INT;

  Image image = EmptyImage(path, static_cast<int>(width), static_cast<int>(height));
  auto put = [&](std::uint32_t x, std::uint32_t y, std::uint16_t v) {
    image.pixels[static_cast<std::size_t>(y) * width + x] = is_signed ? static_cast<std::int16_t>(v) : v;
  };
  if (TIFFIsTiled(t)) {
    std::uint32_t tw = 0, th = 0;
    TIFFGetField(t, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(t, TIFFTAG_TILELENGTH, &th);
    if (tw == 0 || th == 0) Fail(msg::kBadTiff, {path, "tiles of no size"});
    std::vector<std::uint16_t> tile(static_cast<std::size_t>(tw) * th);
    for (std::uint32_t y0 = 0; y0 < height; y0 += th) {
      for (std::uint32_t x0 = 0; x0 < width; x0 += tw) {
        if (TIFFReadTile(t, tile.data(), x0, y0, 0, 0) < 0) Fail(msg::kBadTiff, {path, error});
        for (std::uint32_t y = y0; y < std::min(height, y0 + th); ++y) {
          for (std::uint32_t x = x0; x < std::min(width, x0 + tw); ++x) put(x, y, tile[(y - y0) * tw + (x - x0)]);
        }
      }
    }
  } else {
    std::vector<std::uint16_t> line(static_cast<std::size_t>(TIFFScanlineSize64(t) / 2 + 1));
    for (std::uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(t, line.data(), y, 0) < 0) Fail(msg::kBadTiff, {path, error});
      for (std::uint32_t x = 0; x < width; ++x) put(x, y, line[x]);
    }
  }
  SetTiffPitch(t, image);
  return image;
}

// ---- DICOM ----

void PrepareDcmtk() {
  static std::once_flag once;
  std::call_once(once, [] {
    OFLog::configure(OFLogger::OFF_LOG_LEVEL);  // reasons come back in the OFCondition
    DcmRLEDecoderRegistration::registerCodecs();
    DJDecoderRegistration::registerCodecs();
    DJLSDecoderRegistration::registerCodecs();
  });
}

void SetDicomPitch(DcmDataset& ds, Image& image) {
  const std::pair<DcmTagKey, const char*> tags[] = {{DCM_ImagerPixelSpacing, "DICOM ImagerPixelSpacing"},
                                                    {DCM_PixelSpacing, "DICOM PixelSpacing"}};
  for (const auto& [tag, source] : tags) {
    Float64 row_spacing = 0, column_spacing = 0;
    if (ds.findAndGetFloat64(tag, row_spacing, 0).good() && ds.findAndGetFloat64(tag, column_spacing, 1).good() &&
        row_spacing > 0 && column_spacing > 0 && std::isfinite(row_spacing) && std::isfinite(column_spacing)) {
      image.pitch_x_mm = column_spacing;  // between the centres of adjacent columns
      image.pitch_y_mm = row_spacing;     // between the centres of adjacent rows
      image.pitch_source = source;
      return;
    }
  }
}

Image ReadDicom(const std::string& path) {
  PrepareDcmtk();
  DcmFileFormat file;
  const OFCondition loaded = file.loadFile(path.c_str());
  if (loaded.bad()) Fail(msg::kBadDicom, {path, loaded.text()});
  DcmDataset& ds = *file.getDataset();

  const DcmXfer xfer(ds.getOriginalXfer());
  if (xfer.isEncapsulated() && xfer.isLossy()) Fail(msg::kDicomLossy, {path, xfer.getXferName()});
  Uint16 samples = 1, bits = 0, stored = 0, sign = 0, rows = 0, columns = 0;
  OFString photometric;
  Sint32 frames = 1;
  ds.findAndGetUint16(DCM_SamplesPerPixel, samples);
  if (samples != 1) Fail(msg::kNotGrey, {path, Str(samples) + " samples per pixel"});
  if (ds.findAndGetOFString(DCM_PhotometricInterpretation, photometric).good() && photometric != "MONOCHROME1" &&
      photometric != "MONOCHROME2") {
    Fail(msg::kNotGrey, {path, photometric.c_str()});
  }
  if (ds.findAndGetUint16(DCM_BitsAllocated, bits).bad()) Fail(msg::kDicomMissing, {path, "BitsAllocated"});
  if (bits != 16) Fail(msg::kNotSixteenBit, {path, Str(bits)});
  if (ds.findAndGetUint16(DCM_Rows, rows).bad()) Fail(msg::kDicomMissing, {path, "Rows"});
  if (ds.findAndGetUint16(DCM_Columns, columns).bad()) Fail(msg::kDicomMissing, {path, "Columns"});
  if (ds.findAndGetUint16(DCM_BitsStored, stored).bad() || stored == 0 || stored > 16) stored = 16;
  ds.findAndGetUint16(DCM_PixelRepresentation, sign);
  if (ds.findAndGetSint32(DCM_NumberOfFrames, frames).good() && frames > 1) Fail(msg::kDicomFrames, {path, Str(frames)});
  CheckSize(path, columns, rows);

  if (xfer.isEncapsulated()) {
    const OFCondition decoded = ds.chooseRepresentation(EXS_LittleEndianExplicit, nullptr);
    if (decoded.bad() || !ds.canWriteXfer(EXS_LittleEndianExplicit)) {
      Fail(msg::kDicomCompression, {path, decoded.bad() ? decoded.text() : xfer.getXferName()});
    }
  }
  const Uint16* data = nullptr;
  unsigned long count = 0;
  if (ds.findAndGetUint16Array(DCM_PixelData, data, &count).bad() || data == nullptr) {
    Fail(msg::kDicomMissing, {path, "pixel data"});
  }
  Image image = EmptyImage(path, columns, rows);
  if (count < image.pixels.size()) Fail(msg::kDicomMissing, {path, "pixel data for all its Rows and Columns"});
  const unsigned mask = (1u << stored) - 1;
  const unsigned sign_bit = 1u << (stored - 1);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const unsigned v = data[i] & mask;
    image.pixels[i] = sign == 1 && (v & sign_bit) ? static_cast<double>(v) - (mask + 1.0) : v;
  }
  SetDicomPitch(ds, image);
  return image;
}

bool IsTiff(const std::vector<unsigned char>& h) {
  if (h.size() < 4) return false;
  const bool little = h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0;
  const bool big = h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43);
  return little || big;
}

bool IsPnm(const std::vector<unsigned char>& h) { return h.size() >= 2 && h[0] == 'P' && h[1] >= '1' && h[1] <= '7'; }

// A DICOM file (preamble and "DICM"), or a bare data set starting with the
// file-meta group 0002 or the identifying group 0008, little-endian.
bool IsDicom(const std::vector<unsigned char>& h) {
  if (h.size() >= 132 && std::memcmp(&h[128], "DICM", 4) == 0) return true;
  return h.size() >= 8 && (h[0] == 0x02 || h[0] == 0x08) && h[1] == 0x00;
}

}  // namespace

Image ReadImage(const std::string& path, const std::optional<RawLayout>& raw) {
  if (raw) return ReadRaw(path, *raw);
  const std::vector<unsigned char> head = Head(path, 132);
  if (IsTiff(head)) return ReadTiff(path);
  if (IsPnm(head)) return ReadPgm(path);
  if (IsDicom(head)) return ReadDicom(path);
  Fail(msg::kNotAnImage, {path});
}

}  // namespace xray::measure
