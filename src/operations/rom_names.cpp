// Naming the ROM in the code buffer from the ROM lists.
#include <string>

#include "buffers/image_file.h"
#include "operations/programmer.h"
#include "romlists/identify.h"

namespace ops {

void Programmer::IdentifyCodeImage() {
  CodeImageIdentified = false;
  const int32_t length = buf.CodeImageLength;
  if (length <= 0) {
    ui.LogMessage("Code Buffer is Empty (0 Bytes): nothing to Identify");
    return;
  }
  if (RomLists == nullptr) {
    ui.LogMessage("The ROM lists are not indexed yet: the image was not looked up");
    return;
  }
  if (RomLists->EntryCount() == 0) {
    ui.LogMessage(romlists::NoListsLine(RomLists->BuiltFrom()));
    return;
  }
  ui.LogMessage(romlists::LookupLine(static_cast<uint32_t>(length), "the Code Buffer"));
  const romlists::Identification found =
      romlists::Identify(*RomLists, buffers::ImagePart(buf.CodeBuffer, length));
  for (const std::string& line : romlists::ReportLines(found)) ui.LogMessage(line);
  CodeImageIdentified = found.Identified();
}

}  // namespace ops
