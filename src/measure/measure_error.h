// The one error of the detector measurement, and every message it can carry.
//
// Whatever goes wrong while an image is read or analysed (a file that is not an
// image, an 8-bit or colour image, no edge, a region outside the image, ...)
// ends the measurement with a MeasureError whose message says what and where, in
// one line. Nothing is half done: the caller's tables stay as they were.
// Messages are templates: each "%s" is replaced, in order, by an argument.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace xray::measure {

class MeasureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The template with each "%s" replaced by the next argument (surplus "%s" stay).
std::string FillMessage(std::string_view message, std::initializer_list<std::string_view> args);

// Throws the MeasureError of the filled template.
[[noreturn]] void Fail(std::string_view message, std::initializer_list<std::string_view> args = {});

// A number for a message or a caption: rounded to the given significant
// digits, written with "." as every number of the program is ("2.98", "0.1").
std::string NumberText(double value, int significant = 6);

namespace msg {

// Files. The first "%s" is always the file name.
inline constexpr std::string_view kCannotOpen = "cannot read '%s': %s";
inline constexpr std::string_view kNotAnImage =
    "'%s' is not a DICOM, TIFF or 16-bit PGM image (raw data needs its width and height)";
inline constexpr std::string_view kBadDicom = "'%s': the DICOM file cannot be read: %s";
inline constexpr std::string_view kDicomMissing = "'%s': the DICOM file has no %s";
inline constexpr std::string_view kDicomCompression = "'%s': the DICOM pixel data cannot be decompressed (%s)";
inline constexpr std::string_view kDicomLossy =
    "'%s': the DICOM pixel data are compressed lossily (%s); detector measurements need the original values";
inline constexpr std::string_view kDicomFrames = "'%s' holds %s frames; give each image as a file of its own";
inline constexpr std::string_view kBadTiff = "'%s': the TIFF file cannot be read: %s";
inline constexpr std::string_view kBadPgm = "'%s': the PGM header is malformed or the file is cut short";
inline constexpr std::string_view kNotSixteenBit = "'%s' holds %s-bit pixels; a 16-bit image is needed";
inline constexpr std::string_view kNotGrey = "'%s' is a colour image (%s); a greyscale image is needed";
inline constexpr std::string_view kFloatPixels = "'%s' holds floating-point pixels; 16-bit integer pixels are needed";
inline constexpr std::string_view kRawSize =
    "'%s' holds %s bytes, but a %sx%s raw image of 16-bit pixels after %s header bytes needs %s";
inline constexpr std::string_view kRawDimensions = "raw images need a width and a height of at least 1 pixel";
inline constexpr std::string_view kEmptyImage = "'%s' holds no pixels";
inline constexpr std::string_view kTooLarge = "'%s' is %sx%s pixels, more than the %s pixels an image may have here";

// Geometry and parameters.
inline constexpr std::string_view kRegionOutside =
    "the region %s,%s,%s,%s (x,y,width,height) does not lie inside the %sx%s image";
inline constexpr std::string_view kNoPitch =
    "the image gives no pixel pitch; give it in mm";
inline constexpr std::string_view kNonSquarePixels =
    "the image's pixels are not square (%s mm by %s mm); give the pitch along the measured direction in mm";
inline constexpr std::string_view kBadPitch = "the pixel pitch must be a positive number of mm, not %s";
inline constexpr std::string_view kBadGamma = "the gamma must be a positive number, not %s";
inline constexpr std::string_view kNumericFault = "the %s could not be computed: a floating-point fault (%s)";

// The edge.
inline constexpr std::string_view kEdgeRegionTooSmall =
    "the region is %sx%s pixels; the edge analysis needs at least %s pixels across the edge and %s along it";
inline constexpr std::string_view kNoEdge = "no straight edge found in the region (%s)";
inline constexpr std::string_view kEdgeAngle =
    "the edge is tilted %s degrees from the %s; it must be tilted between %s and %s degrees from a row or a column";
inline constexpr std::string_view kEdgeNearSide =
    "the edge comes within %s pixels of the region's side; %s pixels are needed on both sides of it";
inline constexpr std::string_view kEdgeTooShort =
    "the edge is too short for its tilt: its %s rows do not sample every tenth of a pixel across it";

// Noise power.
inline constexpr std::string_view kNoImages = "no flat-field images were given";
inline constexpr std::string_view kFlatRegionTooSmall =
    "the region is %sx%s pixels; the noise power spectrum needs at least %sx%s";
inline constexpr std::string_view kSizesDiffer =
    "the flat fields differ in size: %s is %sx%s pixels, the first one %sx%s";
inline constexpr std::string_view kMeanNotAboveOffset =
    "the mean pixel value of %s (%s) does not exceed the dark offset (%s): a linear response needs signal above it";
inline constexpr std::string_view kPitchesDiffer =
    "the flat fields' pixel pitches differ: %s mm in %s, %s mm in the first one";

}  // namespace msg
}  // namespace xray::measure
