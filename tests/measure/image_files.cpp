#include "image_files.h"

#include <dcmtk/config/osconfig.h>  // must precede every other DCMTK header
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcrleerg.h>
#include <dcmtk/dcmdata/dcrlerp.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmjpeg/djencode.h>
#include <dcmtk/dcmjpeg/djrplol.h>
#include <dcmtk/dcmjpeg/djrploss.h>
#include <dcmtk/dcmjpls/djencode.h>
#include <dcmtk/dcmjpls/djrparam.h>
#include <dcmtk/oflog/oflog.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace xray::measure::test {

namespace {

unsigned Sample(double v, int bits) {
  const double top = std::ldexp(1.0, bits) - 1;
  return static_cast<unsigned>(std::clamp(std::round(v), 0.0, top));
}

void Require(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("writing test image: " + what);
}

}  // namespace

void WritePgm(const std::string& path, const Image& image, int maxval) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n# generated test image\n" << image.width << ' ' << image.height << '\n' << maxval << '\n';
  for (double v : image.pixels) {
    const unsigned s = std::min(Sample(v, 16), static_cast<unsigned>(maxval));
    if (maxval > 255) out.put(static_cast<char>(s >> 8));
    out.put(static_cast<char>(s & 0xFF));
  }
  Require(static_cast<bool>(out), path);
}

void WriteRaw(const std::string& path, const Image& image, std::size_t offset) {
  std::ofstream out(path, std::ios::binary);
  for (std::size_t i = 0; i < offset; ++i) out.put(static_cast<char>(0xAB));
  for (double v : image.pixels) {
    const unsigned s = Sample(v, 16);
    out.put(static_cast<char>(s & 0xFF));
    out.put(static_cast<char>(s >> 8));
  }
  Require(static_cast<bool>(out), path);
}

void WriteTiff(const std::string& path, const Image& image, const TiffOptions& o) {
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "w"), &TIFFClose);
  Require(tif != nullptr, path);
  TIFF* t = tif.get();
  const int bits = o.float_samples ? 32 : o.bits;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bits));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(o.samples));
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, o.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, o.float_samples ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
  if (o.deflate) {
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_PREDICTOR, o.float_samples ? PREDICTOR_NONE : PREDICTOR_HORIZONTAL);
    TIFFSetField(t, TIFFTAG_ZIPQUALITY, 9);
  }
  if (o.resolution) {
    TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(*o.resolution));
    TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(*o.resolution));
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, static_cast<std::uint16_t>(o.resolution_unit));
  }
  const std::size_t bytes = static_cast<std::size_t>(bits / 8) * o.samples;
  // One pixel's bytes in native order, as libtiff expects them.
  auto encode = [&](double v, unsigned char* out) {
    for (int s = 0; s < o.samples; ++s) {
      if (o.float_samples) {
        const float f = static_cast<float>(v);
        std::memcpy(out + 4 * s, &f, 4);
      } else if (bits == 16) {
        const std::uint16_t u = static_cast<std::uint16_t>(Sample(v, 16));
        std::memcpy(out + 2 * s, &u, 2);
      } else {
        out[s] = static_cast<unsigned char>(Sample(v, 8));
      }
    }
  };
  if (o.tiled) {
    const int tile = 64;
    TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
    TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(tile) * tile * bytes);
    for (int y0 = 0; y0 < image.height; y0 += tile) {
      for (int x0 = 0; x0 < image.width; x0 += tile) {
        std::fill(buffer.begin(), buffer.end(), 0);
        for (int y = y0; y < std::min(image.height, y0 + tile); ++y) {
          for (int x = x0; x < std::min(image.width, x0 + tile); ++x) {
            encode(image.at(x, y), &buffer[(static_cast<std::size_t>(y - y0) * tile + (x - x0)) * bytes]);
          }
        }
        Require(TIFFWriteTile(t, buffer.data(), x0, y0, 0, 0) >= 0, path);
      }
    }
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    std::vector<unsigned char> line(static_cast<std::size_t>(image.width) * bytes);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) encode(image.at(x, y), &line[static_cast<std::size_t>(x) * bytes]);
      Require(TIFFWriteScanline(t, line.data(), static_cast<std::uint32_t>(y), 0) >= 0, path);
    }
  }
}

void WriteDicom(const std::string& path, const Image& image, const DicomOptions& o) {
  static std::once_flag once;
  std::call_once(once, [] {
    OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
    DcmRLEEncoderRegistration::registerCodecs();
    DJEncoderRegistration::registerCodecs();
    DJLSEncoderRegistration::registerCodecs();
  });
  DcmFileFormat file;
  DcmDataset& ds = *file.getDataset();
  ds.putAndInsertString(DCM_SOPClassUID, UID_DigitalXRayImageStorageForProcessing);
  ds.putAndInsertString(DCM_SOPInstanceUID, "2.25.1234567890123456789");
  ds.putAndInsertString(DCM_Modality, "DX");
  ds.putAndInsertUint16(DCM_SamplesPerPixel, static_cast<Uint16>(o.samples));
  ds.putAndInsertString(DCM_PhotometricInterpretation, o.samples == 3 ? "RGB" : "MONOCHROME2");
  if (o.samples == 3) ds.putAndInsertUint16(DCM_PlanarConfiguration, 0);
  if (o.frames > 1) ds.putAndInsertString(DCM_NumberOfFrames, std::to_string(o.frames).c_str());
  ds.putAndInsertUint16(DCM_Rows, static_cast<Uint16>(image.height));
  ds.putAndInsertUint16(DCM_Columns, static_cast<Uint16>(image.width));
  ds.putAndInsertUint16(DCM_BitsAllocated, static_cast<Uint16>(o.bits));
  ds.putAndInsertUint16(DCM_BitsStored, static_cast<Uint16>(o.bits == 8 ? 8 : o.bits_stored));
  ds.putAndInsertUint16(DCM_HighBit, static_cast<Uint16>((o.bits == 8 ? 8 : o.bits_stored) - 1));
  ds.putAndInsertUint16(DCM_PixelRepresentation, o.is_signed ? 1 : 0);
  auto spacing = [](double mm) {
    const std::string v = std::to_string(mm);
    return v + "\\" + v;
  };
  if (o.imager_pixel_spacing) ds.putAndInsertString(DCM_ImagerPixelSpacing, spacing(*o.imager_pixel_spacing).c_str());
  if (o.pixel_spacing) ds.putAndInsertString(DCM_PixelSpacing, spacing(*o.pixel_spacing).c_str());

  const std::size_t n = image.pixels.size() * o.samples * o.frames;
  if (o.bits == 8) {
    std::vector<Uint8> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<Uint8>(Sample(image.pixels[(i / o.samples) % image.pixels.size()], 8));
    ds.putAndInsertUint8Array(DCM_PixelData, data.data(), static_cast<unsigned long>(n));
  } else {
    std::vector<Uint16> data(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double v = image.pixels[(i / o.samples) % image.pixels.size()];
      // Signed values are stored as their two's complement bit pattern.
      data[i] = o.is_signed ? static_cast<Uint16>(static_cast<Sint16>(std::lround(v))) : static_cast<Uint16>(Sample(v, 16));
    }
    ds.putAndInsertUint16Array(DCM_PixelData, data.data(), static_cast<unsigned long>(n));
  }

  static const std::map<std::string, E_TransferSyntax> kSyntaxes = {
      {"explicit", EXS_LittleEndianExplicit},   {"implicit", EXS_LittleEndianImplicit},
      {"big-endian", EXS_BigEndianExplicit},    {"deflated", EXS_DeflatedLittleEndianExplicit},
      {"rle", EXS_RLELossless},                 {"jpeg-lossless", EXS_JPEGProcess14SV1},
      {"jpeg-ls", EXS_JPEGLSLossless},          {"jpeg-baseline", EXS_JPEGProcess1}};
  const E_TransferSyntax xfer = kSyntaxes.at(o.transfer);
  if (DcmXfer(xfer).isEncapsulated()) {
    DJ_RPLossless lossless;
    DJ_RPLossy lossy(90);
    DcmRLERepresentationParameter rle;
    DJLSRepresentationParameter jpeg_ls(2, OFTrue);
    const DcmRepresentationParameter* params = &lossless;
    if (xfer == EXS_JPEGProcess1) params = &lossy;
    if (xfer == EXS_RLELossless) params = &rle;
    if (xfer == EXS_JPEGLSLossless) params = &jpeg_ls;
    Require(ds.chooseRepresentation(xfer, params).good() && ds.canWriteXfer(xfer), path + ": compression");
  }
  const OFCondition saved = o.preamble ? file.saveFile(path.c_str(), xfer) : ds.saveFile(path.c_str(), xfer);
  Require(saved.good(), path + ": " + saved.text());
}

}  // namespace xray::measure::test
