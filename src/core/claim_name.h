#pragma once

#include <string>
#include <string_view>

namespace tovi {

// The name of the kernel object by which one copy of the program at a time
// claims its folder, from the file system's own final path of the folder, in
// UTF-16 as the platform gives it. That path already settles case, short
// names, junctions and substituted drives, so it is taken as it is: a folder
// that keeps case apart may hold two copies that differ only in case.
std::string FolderClaimName(std::u16string_view finalPath);

}  // namespace tovi
