// The second pass of lattool convert: hands lattice K's objects to the export as the
// import delivers them, its header completed with the component ranges of the first
// pass. Nothing of the lattice is kept here.
#pragma once

#include <vector>

#include "ExportSession.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace lattool {

class LatticeForwarder : public hostfw::IoObjectSink {
 public:
  LatticeForwarder(int wanted, ExportSession& session, std::vector<double> componentMin,
                   std::vector<double> componentMax) noexcept
      : wanted_(wanted),
        session_(session),
        componentMin_(std::move(componentMin)),
        componentMax_(std::move(componentMax)) {}

  // Stops the import once lattice K has ended or the export cannot go on.
  bool Receive(hostfw::TrBase& object) override;

  // Whether lattice K's end reached the export.
  bool Done() const noexcept { return done_; }
  // Whether the export refused an object (its error or cancel is the session's).
  bool Refused() const noexcept { return refused_; }

 private:
  bool Forward(hostfw::TrBase& object);

  int wanted_;
  ExportSession& session_;
  std::vector<double> componentMin_;
  std::vector<double> componentMax_;
  int seen_ = 0;
  bool open_ = false;
  bool done_ = false;
  bool refused_ = false;
};

}  // namespace lattool
