// Choosing the logo's bitmap for the display's scale.
#include "logo/logo_variant.h"

#include "diagnostics/diagnostics.h"

namespace {

bool Covers(SIZE size, SIZE target) { return size.cx >= target.cx && size.cy >= target.cy; }
long long Area(SIZE size) { return static_cast<long long>(size.cx) * size.cy; }

}  // namespace

void LogoVariantName(const char* base, int percent, char* name, int size) {
  if (size <= 0) return;
  // A name cut to the buffer matches no resource.
  FormatBoundedText(name, static_cast<size_t>(size), "%s_%d", base, percent);
}

int ChooseLogoVariant(const SIZE* sizes, int count, SIZE target) {
  int larger = -1;
  int largest = -1;
  for (int i = 0; i < count; ++i) {
    if (sizes[i].cx == target.cx && sizes[i].cy == target.cy) return i;
    // Shrinking from the nearest larger keeps the most detail; enlarging
    // the largest loses the least.
    if (Covers(sizes[i], target) && (larger < 0 || Area(sizes[i]) < Area(sizes[larger]))) larger = i;
    if (largest < 0 || Area(sizes[i]) > Area(sizes[largest])) largest = i;
  }
  return larger >= 0 ? larger : largest;
}
