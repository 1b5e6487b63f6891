// Writes every lattice the import hands over as one JSON object of the dump's
// "lattices" array, streaming the values as their scans arrive.
#pragma once

#include <memory>
#include <string>

#include "Client.h"
#include "JsonWriter.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace lattool {

class LatticeRecorder : public hostfw::IoObjectSink {
 public:
  // `json` stands inside an open array; each lattice becomes one element of it. Without
  // `values` only the header side is written: no values, no curvilinear node positions.
  LatticeRecorder(JsonWriter& json, bool values) : json_(json), values_(values) {}

  bool Receive(hostfw::TrBase& object) override;
  // Closes a lattice whose end never came.
  void Finish() { Close(false); }

 private:
  void Open(const hostfw::TrLattice& lattice, ObjectKind kind);
  void WriteHeader(const hostfw::TrLattice& lattice, ObjectKind kind);
  void WriteGeometry(const hostfw::TrLattice& lattice, ObjectKind kind);
  void AddScan(const hostfw::TrLatticeScan& scan);
  void Close(bool ended);

  JsonWriter& json_;
  bool values_;
  bool open_ = false;
  int dataType_ = 0;
  int coordType_ = 0;
  long long scans_ = 0;
  // A curvilinear lattice's coordinates, kept as JSON text until its values are written.
  std::string coordText_;
  std::unique_ptr<JsonWriter> coords_;
};

// Ends a document of dump or info: closes its "lattices" array, writes the import's
// "status" or its "error" (code, module, args, message), flushes it and reports the import's
// error on stderr. Returns the exit code.
int EndImportDocument(JsonWriter& json, const ImportOutcome& outcome);

}  // namespace lattool
