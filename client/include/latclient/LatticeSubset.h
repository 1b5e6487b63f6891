// A part of each lattice as it streams by: one component and a box of nodes. The header
// is remade for the part (counts, geometry cut: a uniform origin moved to the box's start,
// rectilinear axes and curvilinear node positions cut), each row in the box is copied once
// into one scan kept for the lattice, and rows outside it are dropped.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "latclient/Api.h"

namespace latclient {

struct Subset {
  std::optional<int> component;  // empty: every component
  // Per axis (x, y, z) the first node and the node after the last; empty: the axis' start
  // or end.
  std::array<std::optional<int>, 3> begin, end;
};

class LATCLIENT_API SubsetSink : public hostfw::IoObjectSink {
 public:
  // Hands lattice `lattice` (counting from 0; every lattice when empty) to `next` cut to
  // `subset`, other lattices as they come.
  SubsetSink(const Subset& subset, hostfw::IoObjectSink& next, std::optional<int> lattice = {});
  ~SubsetSink() override;

  // False once `next` refuses, or when the subset does not fit a lattice's header.
  bool Receive(hostfw::TrBase& object) override;

  // Why the subset does not fit the lattice ("the box's x nodes 2:9 lie outside the
  // lattice's 0:4"), naming the axis or the component; empty while it fits. The header was
  // not handed on.
  const std::string& Problem() const noexcept { return problem_; }

 private:
  bool Open(const hostfw::TrLattice& lattice);
  bool CutScan(const hostfw::TrLatticeScan& scan);
  std::string Check(const hostfw::TrLattice& lattice);

  Subset subset_;
  hostfw::IoObjectSink& next_;
  std::optional<int> lattice_;
  int seen_ = 0;
  bool cutting_ = false;  // a lattice being cut is open
  std::string problem_;
  // The open lattice's box (resolved), counts and row being read.
  std::array<int, 3> lo_{}, hi_{}, dims_{};
  int components_ = 0, valueSize_ = 0, coordSize_ = 0;
  bool curvilinear_ = false;
  long long scans_ = 0;
  std::unique_ptr<hostfw::TrLatticeScan> data_, coords_;
};

}  // namespace latclient
