#include "shipped_images.h"

#include "image_files.h"
#include "image_generator.h"

namespace xray::measure::test {

std::vector<ShippedImage> ShippedImages() {
  // A 3-degree edge of an ideal counting detector behind a Gaussian blur of
  // 0.5 pixel, 10,000 quanta on the bright side and 1,000 behind the edge.
  EdgeModel edge;
  edge.width = 128;
  edge.height = 128;
  edge.tilt_deg = kShippedEdgeTiltDeg;
  edge.sigma_px = kShippedEdgeSigmaPx;
  edge.seed = 12;
  Image edge_image = EdgeImage(edge);
  ToLinearResponse(edge_image, kShippedGain, kShippedDarkOffset);

  // Flat fields of the same detector: white Poisson noise.
  auto flat = [](std::uint64_t seed) {
    FlatModel model;
    model.width = 256;
    model.height = 256;
    model.mean = kShippedFlatQuanta;
    model.noise = FlatModel::Noise::kPoisson;
    model.seed = seed;
    Image image = FlatImage(model);
    ToLinearResponse(image, kShippedGain, kShippedDarkOffset);
    return image;
  };

  // DICOM with JPEG-LS, the most compact of the lossless choices for noise.
  DicomOptions dicom;
  dicom.transfer = "jpeg-ls";
  dicom.imager_pixel_spacing = kShippedPitchMm;
  auto write = [dicom](const std::string& p, const Image& i) { WriteDicom(p, i, dicom); };
  return {{"edge.dcm", edge_image, write}, {"flat1.dcm", flat(21), write}, {"flat2.dcm", flat(22), write}};
}

}  // namespace xray::measure::test
