#pragma once
// What a reader learns of a whole file while it opens one image (a header, a frame table). It is made
// once per open of a file and handed from each image to the next, so that a file of n images is not
// read n times.
#include <cstdint>

namespace doc {

class CFileIndex {
public:
    virtual ~CFileIndex() = default;
    // The length of the file the index was made from; a file of another length is indexed anew.
    std::uint64_t length = 0;
};

} // namespace doc
