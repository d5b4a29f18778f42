// File operations of the local scanner: delete, trash, move, rename, link and
// their undo. Built with the actions on duplicates; until then they refuse.
#include "scanners/scanner_local.h"

namespace nrv {

bool TScannerLocal::MoveFile(const IFileInfoPtr&, const IFolderPtr&, bool) { return false; }
bool TScannerLocal::DeleteFile(const IFileInfoPtr&, bool) { return false; }
bool TScannerLocal::UnDeleteFile(const IFileInfoPtr&, bool) { return false; }
bool TScannerLocal::PutBack(const IFileInfoPtr&) { return false; }
bool TScannerLocal::LinkToOriginal(const IFileInfoPtr&) { return false; }
bool TScannerLocal::Unlink(const IFileInfoPtr&) { return false; }
bool TScannerLocal::Rename(const IFileInfoPtr&, const std::string&) { return false; }
bool TScannerLocal::RestoreName(const IFileInfoPtr&) { return false; }

}  // namespace nrv
