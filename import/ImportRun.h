#pragma once
// The import run behind "Start Importing": checks the choices, then imports every listed file
// through a fresh database session per file, with its messages, its error path and its log.
#include "import/RunEnvironment.h"

namespace quillmere {

class ImportRun {
  public:
    explicit ImportRun(RunEnvironment environment);
    // Runs to the end (yielding through the environment). A call while a run is in progress
    // (from inside a yield) is ignored.
    void Start();
    bool InProgress() const { return inProgress_; }

  private:
    RunEnvironment env_;
    bool inProgress_ = false;
};

}  // namespace quillmere
