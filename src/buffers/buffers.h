#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "buffers/image_formats.h"

namespace buffers {

inline constexpr size_t kCodeBufferSize = 2100001;  // the code image, index 0..2100000
inline constexpr size_t kDataBufferSize = 8292;     // the EEPROM data image, index 0..8291
inline constexpr size_t kMaxDataFile = 8192;        // longest data file accepted

// The two in-memory images and what is known about them. All bytes are 00h at start-up.
struct Buffers {
  std::vector<uint8_t> CodeBuffer = std::vector<uint8_t>(kCodeBufferSize, 0);
  std::vector<uint8_t> DataBuffer = std::vector<uint8_t>(kDataBufferSize, 0);
  int32_t CodeLength = 0;  // meaningful code bytes: device size or file length
  // The image the operator gave: the last file loaded (its length, or a load file's highest
  // address + 1) or the last device read (the whole device). Unlike CodeLength it does not
  // follow the device selection: programming and verify cover exactly these bytes, and the
  // buffer beyond them holds FFh, the erased state.
  int32_t CodeImageLength = 0;
  std::string CodeImageSource;  // what the image is: the file's path, or where it was read
  int32_t DataLength = 0;
  int16_t CodeLoaded = 0;
  int16_t DataLoaded = 0;
  std::string CodeFileName;
  std::string DataFileName;
  // Whether the buffer still holds exactly the bytes of its named file, as loaded or saved: a
  // device read, an erase or a device selection of another length ends that, and Save then
  // asks where to write instead of overwriting the file.
  bool CodeHoldsFile = false;
  bool DataHoldsFile = false;
  // How the files are laid out, so that Save writes them back the same way.
  ImageFormat CodeFileFormat = ImageFormat::Binary;
  ImageFormat DataFileFormat = ImageFormat::Binary;
  // A load file's records: the buffer addresses they cover and how far their addresses were
  // moved down to get there, so that Save writes the same records again, without the erased
  // gaps between them. Empty for a raw image.
  std::vector<AddressRange> CodeFileRanges;
  std::vector<AddressRange> DataFileRanges;
  uint64_t CodeFileMovedBy = 0;
  uint64_t DataFileMovedBy = 0;
  // Bytes changed in the buffer editor since the image was loaded, read, erased or saved.
  bool CodeEdited = false;
  bool DataEdited = false;
  // How many times the image was replaced whole (loaded, read, erased): the editor's undo
  // records belong to the image they were made in.
  uint32_t CodeReplaced = 0;
  uint32_t DataReplaced = 0;
};

}  // namespace buffers
