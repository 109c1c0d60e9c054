#pragma once
// Sessions that execute everything and keep nothing: the dry run of an import. All sessions of
// one factory work on one database, opened for writing in discarding mode at the first Open
// and kept open until the factory goes, so that a later file of a run meets the tables and rows
// of the earlier ones exactly as in the real run (a per-file session would forget them at its
// Close). The database file is never written, nor a journal or a lock file.
#include <memory>

#include "database/DatabaseSession.h"

namespace quillmere {

std::unique_ptr<SessionFactory> MakeDiscardingSessionFactory();

}  // namespace quillmere
