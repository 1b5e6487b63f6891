// LatticeResequencer's lifecycle and its public calls, each checked and passed to the
// store's state.
#include "hostaux/LatticeResequencer.h"

#include "ResequencerImpl.h"

namespace hostaux {

using detail::Started;

namespace {

void RequireBuffer(const void* buffer, const char* operation) {
  if (buffer == nullptr) detail::ThrowMisuse(operation, "no row buffer given", __LINE__);
}

}  // namespace

LatticeResequencer::LatticeResequencer() noexcept : memoryLimit_(kDefaultMemoryLimit) {}

LatticeResequencer::LatticeResequencer(std::size_t memoryLimit) noexcept
    : memoryLimit_(memoryLimit) {}

LatticeResequencer::~LatticeResequencer() {
  Finish();
}

void LatticeResequencer::Finish() noexcept {
  impl_.reset();
}

void LatticeResequencer::Start(int latticeType, int nx, int ny, int nz, int numComponents,
                               int coordSize, int dataSize, bool nodeCoords, bool allowSpill) {
  Finish();
  const detail::ResequencerShape shape =
      detail::MakeShape(latticeType, nx, ny, nz, numComponents, coordSize, dataSize, nodeCoords);
  impl_ = std::make_unique<Impl>(shape, allowSpill, memoryLimit_);
}

bool LatticeResequencer::IsSpilled() const noexcept {
  return impl_ && impl_->spill;
}

std::size_t LatticeResequencer::GetDataScanlineSize() const noexcept {
  return impl_ ? impl_->shape.dataRowSize : 0;
}

std::size_t LatticeResequencer::GetXYZScanlineSize() const noexcept {
  return impl_ ? impl_->shape.xyzRowSize : 0;
}

void LatticeResequencer::WriteRowOfMultiComponentData(int y, int z, const void* row) {
  constexpr const char* kOp = "WriteRowOfMultiComponentData";
  Impl& store = Started(impl_, kOp);
  RequireBuffer(row, kOp);
  store.StoreRow(store.data, store.shape.RowIndex(y, z), row);
}

void LatticeResequencer::WriteRowOfXYZ(int y, int z, const void* row) {
  constexpr const char* kOp = "WriteRowOfXYZ";
  Impl& store = Started(impl_, kOp);
  detail::Region& region = store.NodeCoords(kOp);
  RequireBuffer(row, kOp);
  store.StoreRow(region, store.shape.RowIndex(y, z), row);
}

void LatticeResequencer::ReadRowOfMultiComponentData(int y, int z, void* buffer) const {
  constexpr const char* kOp = "ReadRowOfMultiComponentData";
  Impl& store = Started(impl_, kOp);
  RequireBuffer(buffer, kOp);
  store.LoadRow(store.data, store.shape.RowIndex(y, z), buffer);
}

void LatticeResequencer::ReadRowOfXYZ(int y, int z, void* buffer) const {
  constexpr const char* kOp = "ReadRowOfXYZ";
  Impl& store = Started(impl_, kOp);
  detail::Region& region = store.NodeCoords(kOp);
  RequireBuffer(buffer, kOp);
  store.LoadRow(region, store.shape.RowIndex(y, z), buffer);
}

std::size_t LatticeResequencer::GetRectiXCoordsTotalSize() const noexcept {
  return impl_ ? impl_->shape.axisSize[0] : 0;
}
std::size_t LatticeResequencer::GetRectiYCoordsTotalSize() const noexcept {
  return impl_ ? impl_->shape.axisSize[1] : 0;
}
std::size_t LatticeResequencer::GetRectiZCoordsTotalSize() const noexcept {
  return impl_ ? impl_->shape.axisSize[2] : 0;
}

void LatticeResequencer::WriteRectilinearXs(const void* coords) {
  Started(impl_, "WriteRectilinearXs").StoreAxis(0, coords, "WriteRectilinearXs");
}
void LatticeResequencer::WriteRectilinearYs(const void* coords) {
  Started(impl_, "WriteRectilinearYs").StoreAxis(1, coords, "WriteRectilinearYs");
}
void LatticeResequencer::WriteRectilinearZs(const void* coords) {
  Started(impl_, "WriteRectilinearZs").StoreAxis(2, coords, "WriteRectilinearZs");
}

void LatticeResequencer::ReadRectilinearXs(void* buffer) const {
  Started(impl_, "ReadRectilinearXs").LoadAxis(0, buffer, "ReadRectilinearXs");
}
void LatticeResequencer::ReadRectilinearYs(void* buffer) const {
  Started(impl_, "ReadRectilinearYs").LoadAxis(1, buffer, "ReadRectilinearYs");
}
void LatticeResequencer::ReadRectilinearZs(void* buffer) const {
  Started(impl_, "ReadRectilinearZs").LoadAxis(2, buffer, "ReadRectilinearZs");
}

}  // namespace hostaux
