// Undo of the newest entry of the history: the scanner's inverse operation for
// each member of an action, or bringing removed members back into the results.
// Runs on a worker thread while the caller waits (see action_runner.h).

#include "engine/action_runner.h"
#include "engine/message_bus.h"
#include "engine/messages.h"
#include "engine/scan_engine.h"
#include "services/app_log.h"

namespace nrv {

namespace {

bool IsRemoval(TResolveAction kind) {
  return kind == TResolveAction::raRemoveResolved || kind == TResolveAction::raClearResults ||
         kind == TResolveAction::raRemoveByFileType || kind == TResolveAction::raRemoveByFolder;
}

// Takes back one member of an action; false when the scanner could not.
bool UndoMember(IScanner& scanner, TResolveAction kind, const IFileInfoPtr& member,
                TFolderList& dest_folders) {
  const std::string name = member->GetFullName();
  bool ok = false;
  switch (kind) {
    case TResolveAction::raDeletePermanently:
    case TResolveAction::raMoveToTrash:
      AppLog().WriteLog("UNDO delete: " + name, 3);
      ok = scanner.UnDeleteFile(member, kind == TResolveAction::raDeletePermanently);
      break;
    case TResolveAction::raMoveToFolder: {
      AppLog().WriteLog("UNDO move: " + name, 3);
      // Taken first: putting the file back may forget where it was.
      const std::string dest_folder = member->GetDestFolder();
      ok = scanner.PutBack(member);
      if (ok && !dest_folder.empty()) dest_folders.insert(dest_folder);
      break;
    }
    case TResolveAction::raReplaceWithLink:
      AppLog().WriteLog("UNDO replace: " + name, 3);
      ok = scanner.Unlink(member);
      break;
    case TResolveAction::raRename:
      AppLog().WriteLog("UNDO rename: " + name, 3);
      ok = scanner.RestoreName(member);
      break;
    default:
      member->SetRemoved(false);
      return true;
  }
  if (ok) member->SetResolved(false);
  return ok;
}

}  // namespace

void TScanEngine::UndoLastAction(const TProgressCallback& progress, const TActionWaiter& waiter) {
  try {
    IScannerPtr scanner = GetScanner();
    if (!scanner || FUndo.empty()) return;
    // The entry is used up whatever happens below.
    const TActionInfo entry = std::move(FUndo.back());
    FUndo.pop_back();
    const bool remove_empty = FScanSettings.RemoveEmptyFolders;
    try {
      RunOnWorker(static_cast<int32_t>(entry.ItemsProcessed.size()), progress, waiter,
                  [&](TActionProgress& p) {
                    TFolderList dest_folders;
                    for (const auto& member : entry.ItemsProcessed) {
                      p.Step(UndoMember(*scanner, entry.ResolveAction, member, dest_folders));
                    }
                    if (remove_empty) RemoveEmptyFolders(*scanner, dest_folders);
                  });
    } catch (...) {
      // Members restored so far must show up and the windows must hear of it.
      if (IsRemoval(entry.ResolveAction)) {
        ApplyFilter();
        UpdateSort();
      }
      MessageBus().Publish(TResultSetChanged{});
      throw;
    }
    if (IsRemoval(entry.ResolveAction)) {
      ApplyFilter();
      // The filter rebuilds the list in group order; the shown order must stay the chosen one.
      UpdateSort();
    }
    MessageBus().Publish(TResultSetChanged{});
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to undo last action", e);
  } catch (...) {
    AppLog().WriteLogException("Failed to undo last action");
  }
}

}  // namespace nrv
