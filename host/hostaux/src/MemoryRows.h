// Inside hostaux: rows of one region of the row store kept in memory, in chunks of whole
// rows allocated when a row of the chunk is first written. Chunks are not cleared when
// allocated (clearing costs as much as the copy); each remembers which of its rows were
// written, and the others read as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "hostbase/PageBuffer.h"

namespace hostaux::detail {

class SpillFile;

class MemoryRows {
 public:
  // `chunkTarget`: about how many bytes one chunk holds (at least one row).
  MemoryRows(std::size_t rowCount, std::size_t rowSize, std::size_t chunkTarget);

  // Bytes that writing `row` would allocate: 0 when its chunk exists already.
  std::size_t BytesToHold(std::size_t row) const;
  void Write(std::size_t row, const void* bytes);
  // A row of a chunk never allocated reads as zeros.
  void Read(std::size_t row, void* out) const;

  // Writes every chunk at its place in `file`, the region starting at `base`, in order
  // (clearing the rows never written first).
  void CopyTo(SpillFile& file, std::uint64_t base);
  void Release() noexcept;

 private:
  struct Chunk {
    hostbase::PageBuffer bytes;  // huge pages for full-size chunks
    std::vector<bool> written;   // one flag per row of the chunk
  };
  std::size_t ChunkRows(std::size_t chunk) const noexcept;

  std::size_t rowCount_;
  std::size_t rowSize_;
  std::size_t rowsPerChunk_;
  std::unordered_map<std::size_t, Chunk> chunks_;
};

}  // namespace hostaux::detail
