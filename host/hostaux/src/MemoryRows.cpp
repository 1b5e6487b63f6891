// In-memory rows: a table of chunks by number, each a block of whole rows with a flag per
// row that says whether it was written.
#include "MemoryRows.h"

#include <algorithm>
#include <cstring>

#include "SpillFile.h"

namespace hostaux::detail {

MemoryRows::MemoryRows(std::size_t rowCount, std::size_t rowSize, std::size_t chunkTarget)
    : rowCount_(rowCount),
      rowSize_(rowSize),
      rowsPerChunk_(std::clamp<std::size_t>(rowSize == 0 ? 1 : chunkTarget / rowSize, 1,
                                            std::max<std::size_t>(rowCount, 1))) {}

std::size_t MemoryRows::ChunkRows(std::size_t chunk) const noexcept {
  return std::min(rowsPerChunk_, rowCount_ - chunk * rowsPerChunk_);
}

std::size_t MemoryRows::BytesToHold(std::size_t row) const {
  const std::size_t chunk = row / rowsPerChunk_;
  return chunks_.contains(chunk) ? 0 : ChunkRows(chunk) * rowSize_;
}

void MemoryRows::Write(std::size_t row, const void* bytes) {
  const std::size_t chunk = row / rowsPerChunk_;
  auto found = chunks_.find(chunk);
  if (found == chunks_.end()) {
    const std::size_t rows = ChunkRows(chunk);
    Chunk fresh{hostbase::PageBuffer(rows * rowSize_), std::vector<bool>(rows, false)};
    found = chunks_.emplace(chunk, std::move(fresh)).first;
  }
  const std::size_t inChunk = row % rowsPerChunk_;
  std::memcpy(found->second.bytes.Data() + inChunk * rowSize_, bytes, rowSize_);
  found->second.written[inChunk] = true;
}

void MemoryRows::Read(std::size_t row, void* out) const {
  const auto found = chunks_.find(row / rowsPerChunk_);
  const std::size_t inChunk = row % rowsPerChunk_;
  if (found == chunks_.end() || !found->second.written[inChunk]) {
    std::memset(out, 0, rowSize_);
    return;
  }
  std::memcpy(out, found->second.bytes.Data() + inChunk * rowSize_, rowSize_);
}

void MemoryRows::CopyTo(SpillFile& file, std::uint64_t base) {
  std::vector<std::size_t> order;
  order.reserve(chunks_.size());
  for (const auto& entry : chunks_) order.push_back(entry.first);
  std::sort(order.begin(), order.end());
  const std::uint64_t chunkStride = std::uint64_t{rowsPerChunk_} * rowSize_;
  for (std::size_t number : order) {
    Chunk& chunk = chunks_.at(number);
    for (std::size_t row = 0; row < chunk.written.size(); ++row) {
      if (!chunk.written[row]) std::memset(chunk.bytes.Data() + row * rowSize_, 0, rowSize_);
    }
    file.WriteAt(base + number * chunkStride, chunk.bytes.Data(), chunk.written.size() * rowSize_);
  }
}

void MemoryRows::Release() noexcept {
  chunks_.clear();
}

}  // namespace hostaux::detail
