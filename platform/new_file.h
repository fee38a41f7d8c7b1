// A file written before it has its final name, so that nothing ever sees it half written: once
// complete it replaces the file at its destination in one step, or takes a name that must still
// be free.
//
// Where the file system allows it, the file has no name at all while it is written, so that a
// process killed meanwhile leaves nothing behind. Elsewhere it is created beside its destination
// under a fresh hidden name (".NAME.pawnlet-XXXXXXXX"), exclusively, so that no file of anyone
// else is ever overwritten or removed. What was created and not put in place is removed when the
// object dies.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace pawnlet::platform {

class NewFile {
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // Creates the file in the folder of `destination` with permission bits `mode` (the umask
    // applies). EACCES, EPERM or EROFS: the folder may not be written.
    [[nodiscard]] bool Create(const std::u16string& destination, std::uint32_t mode);
    File& file() { return handle; }

    // Puts the file in place of the destination in one step: whoever opens the destination gets
    // the former file or this one, never a mixture.
    [[nodiscard]] bool Replace();
    // Gives the file the destination's name, which must still be free (EEXIST otherwise).
    [[nodiscard]] bool Publish();
    // Closes the file, and removes it unless it was put in place.
    void Discard();

private:
    File handle;
    std::string destination; // in the system's encoding
    std::string hiddenName;  // empty while the file has no name
    bool placed = false;
};

} // namespace pawnlet::platform
