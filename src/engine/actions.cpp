// The actions on duplicates: delete (permanently or into the trash), move, rename
// and replace with a link. Each walks the checked members the results show on a
// worker thread while the caller waits (see action_runner.h), marks what it
// changed as resolved, logs it, records one undo entry and, after delete and
// move, removes the folders it left empty.

#include <cstdio>

#include "engine/action_runner.h"
#include "engine/action_safety.h"
#include "engine/scan_engine.h"
#include "services/app_log.h"

namespace nrv {

namespace {

// One action's own part; the member loop around it is the same for all.
struct TMemberAction {
  TResolveAction kind;
  // Delete and move: the folders left behind may have become empty.
  bool collects_folders = false;
  // Actions after which the member's data is gone from its place (delete, trash,
  // link): they only run while the group's original is there to keep.
  bool destroys_data = false;
  // The scanner operation for one member; logs the change when it succeeds.
  std::function<bool(IScanner&, const IFileInfoPtr&)> apply;
};

struct TActionContext {
  IScannerPtr scanner;
  std::vector<IFileInfoPtr> members;  // the shown members, in shown order
  bool compared_by_content = false;
  bool remove_empty_folders = false;
  std::function<void(TResolveAction, std::vector<IFileInfoPtr>)> push_undo;
};

std::string Format(const char* fmt, const std::string& a, const std::string& b) {
  int n = std::snprintf(nullptr, 0, fmt, a.c_str(), b.c_str());
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, fmt, a.c_str(), b.c_str());
  return out;
}

void RunMemberLoop(const TMemberAction& action, const TActionContext& ctx,
                   TActionProgress& progress) {
  IScanner& scanner = *ctx.scanner;
  const bool keep_undo = scanner.SupportsUndo();
  std::vector<IFileInfoPtr> changed;
  TFolderList folders;
  // What was changed stays recorded even when a later member throws, so it can
  // still be undone.
  struct TRecord {
    const TMemberAction& action;
    const TActionContext& ctx;
    std::vector<IFileInfoPtr>& changed;
    ~TRecord() {
      if (changed.empty()) return;
      try {
        ctx.push_undo(action.kind, std::move(changed));
      } catch (...) {
        AppLog().WriteLog("Failed to record the action for undo", 1);
      }
    }
  } record{action, ctx, changed};

  for (const auto& member : ctx.members) {
    if (!member->IsChecked() || !member->IsVisible() || member->IsResolved()) continue;
    if (action.destroys_data) {
      const TItemSafety safety = CheckItemSafety(member, ctx.compared_by_content);
      if (safety != TItemSafety::isSafe) {
        AppLog().WriteLog(ItemSafetyLogLine(safety, member), 2);
        progress.Step(false);
        continue;
      }
    }
    // Taken first: a moved member may report its new place afterwards.
    const std::string from_folder = member->GetDisplayPath();
    const bool ok = action.apply(scanner, member);
    if (ok) {
      member->SetResolved(true);
      member->SetChecked(false);
      if (action.collects_folders) folders.insert(from_folder);
      if (keep_undo) changed.push_back(member);
    }
    progress.Step(ok);
  }
  if (action.collects_folders && ctx.remove_empty_folders) RemoveEmptyFolders(scanner, folders);
}

// The name a renamed member gets. The file type is what follows the base name in
// the member's name, so a name without an extension is not repeated after the
// added text.
std::string NewNameOf(const IFileInfoPtr& member, const std::string& add_text,
                      bool name_as_original, bool use_suffix) {
  std::string base = member->GetBaseName();
  if (name_as_original) {
    // With no original left, the member keeps its own base name.
    if (TGroup* group = member->GetGroup()) {
      if (auto original = group->GetOrigial(member)) base = original->GetBaseName();
    }
  }
  const std::string own_name = member->GetName();
  const std::string own_base = member->GetBaseName();
  const std::string type = own_name.compare(0, own_base.size(), own_base) == 0
                               ? own_name.substr(own_base.size())
                               : member->GetFileType();
  return (use_suffix ? base + add_text : add_text + base) + type;
}

using TPushUndo = std::function<void(TResolveAction, std::vector<IFileInfoPtr>)>;

void RunAction(TScanEngine& engine, const char* failure_text, const TMemberAction& action,
               const TPushUndo& push_undo, const TProgressCallback& progress,
               const TActionWaiter& waiter) {
  try {
    TActionContext ctx;
    ctx.scanner = engine.GetScanner();
    if (!ctx.scanner) return;
    ctx.members = engine.GetFiles();
    ctx.compared_by_content = ctx.scanner->ExactMatch();
    ctx.remove_empty_folders = engine.ScanSettings().RemoveEmptyFolders;
    ctx.push_undo = push_undo;
    const int32_t total = progress ? engine.GetSelectionInfo().Count : 0;
    RunOnWorker(total, progress, waiter,
                [&](TActionProgress& p) { RunMemberLoop(action, ctx, p); });
  } catch (const std::exception& e) {
    AppLog().WriteLogException(failure_text, e);
  } catch (...) {
    AppLog().WriteLogException(failure_text);
  }
}

}  // namespace

void TScanEngine::DeleteSelected(bool permanently, const TProgressCallback& progress,
                                 const TActionWaiter& waiter) {
  AppLog().WriteLog(permanently ? "Delete selected" : "Move selected to the Trash", 3);
  TMemberAction action;
  action.kind = permanently ? TResolveAction::raDeletePermanently : TResolveAction::raMoveToTrash;
  action.collects_folders = true;
  action.destroys_data = true;
  action.apply = [permanently](IScanner& scanner, const IFileInfoPtr& member) {
    const std::string name = member->GetFullName();
    if (!scanner.DeleteFile(member, permanently)) return false;
    AppLog().WriteLog((permanently ? "File deleted: " : "File moved to trash: ") + name, 3);
    return true;
  };
  RunAction(
      *this, "Failed to delete selected", action,
      [this](TResolveAction k, std::vector<IFileInfoPtr> i) { PushUndo(k, std::move(i)); },
      progress, waiter);
}

void TScanEngine::MoveSelected(const IFolderPtr& dest_folder, bool keep_folder_structure,
                               const TProgressCallback& progress, const TActionWaiter& waiter) {
  AppLog().WriteLog("Move selected to " + (dest_folder ? dest_folder->GetDisplayName() : ""), 3);
  if (!dest_folder) return;
  TMemberAction action;
  action.kind = TResolveAction::raMoveToFolder;
  action.collects_folders = true;
  action.apply = [&](IScanner& scanner, const IFileInfoPtr& member) {
    const std::string name = member->GetFullName();
    if (!scanner.MoveFile(member, dest_folder, keep_folder_structure)) return false;
    AppLog().WriteLog(Format("File %s moved to %s", name, dest_folder->GetName()), 3);
    return true;
  };
  RunAction(
      *this, "Failed to move selected", action,
      [this](TResolveAction k, std::vector<IFileInfoPtr> i) { PushUndo(k, std::move(i)); },
      progress, waiter);
}

void TScanEngine::RenameSelected(const std::string& add_text, bool name_as_original,
                                 bool use_suffix, const TProgressCallback& progress,
                                 const TActionWaiter& waiter) {
  AppLog().WriteLog("Rename selected", 3);
  TMemberAction action;
  action.kind = TResolveAction::raRename;
  action.apply = [&](IScanner& scanner, const IFileInfoPtr& member) {
    const std::string name = member->GetFullName();
    const std::string new_name = NewNameOf(member, add_text, name_as_original, use_suffix);
    if (!scanner.Rename(member, new_name)) return false;
    AppLog().WriteLog(Format("File %s renamed to %s", name, new_name), 3);
    return true;
  };
  RunAction(
      *this, "Failed to rename selected", action,
      [this](TResolveAction k, std::vector<IFileInfoPtr> i) { PushUndo(k, std::move(i)); },
      progress, waiter);
}

void TScanEngine::ReplaceSelected(const TProgressCallback& progress, const TActionWaiter& waiter) {
  AppLog().WriteLog("Replace selected with symbolic link", 3);
  TMemberAction action;
  action.kind = TResolveAction::raReplaceWithLink;
  action.destroys_data = true;
  action.apply = [](IScanner& scanner, const IFileInfoPtr& member) {
    const std::string name = member->GetFullName();
    if (!scanner.LinkToOriginal(member)) return false;
    AppLog().WriteLog("File replaced with link: " + name, 3);
    return true;
  };
  RunAction(
      *this, "Failed to replace selected", action,
      [this](TResolveAction k, std::vector<IFileInfoPtr> i) { PushUndo(k, std::move(i)); },
      progress, waiter);
}

}  // namespace nrv
