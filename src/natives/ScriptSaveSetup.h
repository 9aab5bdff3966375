#pragma once
// What the scripts give the host for the next save and for restarting the
// scene "MAIN": the start number passed to MAIN, the caption and message
// texts and the thumbnail source a save uses when no text-adventure frame
// is open. Texts stay where the script keeps them (script addresses, 0 for
// none), so a save reads them as they are when it is written.
#include <cstdint>

namespace orrivel {

struct ScriptSaveSetup {
  static constexpr uint16_t kFirstStartNumber = 1;

  uint16_t startNumber = kFirstStartNumber;
  uint32_t captionText = 0;
  uint32_t messageText = 0;
  // A display-object handle whose sprite canvas, composed and scaled down,
  // becomes the thumbnail, and the address of a picture name used instead.
  uint32_t thumbnailSource = 0;
  uint32_t thumbnailPicture = 0;
};

}  // namespace orrivel
