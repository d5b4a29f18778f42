#include "cli/select_and_act.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include "engine/action_safety.h"
#include "services/app_log.h"

namespace nrv::cli {

namespace {

// Display paths of folders end with "/"; a folder given on the command line is
// made to match them.
std::string FolderPath(const std::string& dir) {
  std::string path = std::filesystem::absolute(dir).lexically_normal().string();
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "name:VALUE" → VALUE when `text` starts with "name:".
bool Argument(const std::string& text, const std::string& name, std::string& value) {
  if (text.compare(0, name.size() + 1, name + ":") != 0) return false;
  value = text.substr(name.size() + 1);
  return true;
}

bool DestroysData(TActKind kind) {
  return kind == TActKind::akTrash || kind == TActKind::akDelete || kind == TActKind::akLink;
}

const char* Verb(TActKind kind) {
  switch (kind) {
    case TActKind::akTrash:
      return "trash";
    case TActKind::akDelete:
      return "delete";
    case TActKind::akMove:
      return "move";
    case TActKind::akRename:
      return "rename";
    default:
      return "replace with a link";
  }
}

// The members an action would work on: shown, checked and not yet resolved.
std::vector<IFileInfoPtr> Targets(TScanEngine& engine) {
  std::vector<IFileInfoPtr> out;
  for (const auto& f : engine.GetFiles()) {
    if (f->IsChecked() && f->IsVisible() && !f->IsResolved()) out.push_back(f);
  }
  return out;
}

// Names every group that would lose its last unchecked copy.
bool RefuseUnsafe(TScanEngine& engine) {
  int32_t first = 0, total = 0;
  if (engine.CheckSafeGroupSelection(first, total)) return false;
  std::string numbers;
  for (const auto& g : engine.GetGroups()) {
    if (g->CheckSafeSelection()) continue;
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(g->GroupNo());
  }
  std::cerr << "norvalis-cli: " << total << (total == 1 ? " group keeps" : " groups keep")
            << " no unchecked file (" << (total == 1 ? "group " : "groups ") << numbers
            << "); nothing was changed. Use --allow-unsafe to act anyway.\n";
  return true;
}

void Act(TScanEngine& engine, const TSelectActPlan& plan, const TProgressCallback& progress) {
  switch (plan.kind) {
    case TActKind::akTrash:
    case TActKind::akDelete:
      engine.DeleteSelected(plan.kind == TActKind::akDelete, progress);
      break;
    case TActKind::akMove:
      engine.MoveSelected(engine.GetFolderByName(plan.folder), plan.keep_structure, progress);
      break;
    case TActKind::akRename:
      engine.RenameSelected(plan.add_text, false, plan.use_suffix, progress);
      break;
    case TActKind::akLink:
      engine.ReplaceSelected(progress);
      break;
    case TActKind::akNone:
      break;
  }
}

}  // namespace

void AddSelectActOptions(CLI::App& scan, TSelectActOptions& opts) {
  scan.add_option("--select", opts.select,
                  "Check files after the scan, in order: none | all | invert | duplicates | "
                  "originals | newest | oldest | folder-newest | folder-oldest | original-names "
                  "| keep-folder:DIR | keep-tree:DIR (these two check every file outside DIR, or "
                  "outside DIR and its subfolders, so the copies in DIR are kept)");
  scan.add_option("--action", opts.action,
                  "Act on the checked files: trash | delete | move:DIR | move-tree:DIR | "
                  "rename-prefix:TEXT | rename-suffix:TEXT | link");
  scan.add_flag("--allow-unsafe", opts.allow_unsafe,
                "Act even when a group has every file checked (its last copy is still kept)");
  scan.add_flag("--dry-run", opts.dry_run,
                "Print on standard error what --action would do, and change nothing");
}

bool ParseSelectAct(const TSelectActOptions& opts, TSelectActPlan& plan, std::string& error) {
  static const std::map<std::string, int> kRules = {
      {"none", 1},           {"all", 2},
      {"invert", 3},         {"duplicates", 17},
      {"originals", 18},     {"newest", 8},
      {"oldest", 9},         {"folder-newest", 15},
      {"folder-oldest", 16}, {"original-names", 11},
  };
  plan = TSelectActPlan{};
  plan.allow_unsafe = opts.allow_unsafe;
  plan.dry_run = opts.dry_run;
  for (const auto& s : opts.select) {
    std::string dir;
    if (auto it = kRules.find(s); it != kRules.end()) {
      plan.steps.push_back({it->second, {}});
    } else if (Argument(s, "keep-folder", dir) && !dir.empty()) {
      // The custom-folder rule checks the files inside the folder; a selection
      // named "keep" must leave them unchecked, so the marks are then reversed
      // (the rule sets every mark, so reversing leaves exactly those outside).
      plan.steps.push_back({14, {FolderPath(dir), "False"}});
      plan.steps.push_back({3, {}});
    } else if (Argument(s, "keep-tree", dir) && !dir.empty()) {
      plan.steps.push_back({14, {FolderPath(dir), "True"}});
      plan.steps.push_back({3, {}});
    } else {
      error = "unknown selection rule: " + s;
      return false;
    }
  }
  const std::string& a = opts.action;
  std::string value;
  if (a.empty()) {
    plan.kind = TActKind::akNone;
  } else if (a == "trash") {
    plan.kind = TActKind::akTrash;
  } else if (a == "delete") {
    plan.kind = TActKind::akDelete;
  } else if (a == "link") {
    plan.kind = TActKind::akLink;
  } else if (Argument(a, "move", value) || Argument(a, "move-tree", value)) {
    plan.kind = TActKind::akMove;
    plan.keep_structure = a.compare(0, 10, "move-tree:") == 0;
    if (value.empty() || !IsFolder(value)) {
      error = "not a folder: " + value;
      return false;
    }
    plan.folder = FolderPath(value);
  } else if (Argument(a, "rename-prefix", value) || Argument(a, "rename-suffix", value)) {
    plan.kind = TActKind::akRename;
    plan.use_suffix = a.compare(0, 14, "rename-suffix:") == 0;
    if (value.empty() || value.find('/') != std::string::npos) {
      error = "the text added by a rename must be a non-empty part of a file name: " + value;
      return false;
    }
    plan.add_text = value;
  } else {
    error = "unknown action: " + a;
    return false;
  }
  if (plan.dry_run && plan.kind == TActKind::akNone) {
    error = "--dry-run needs an --action";
    return false;
  }
  return true;
}

int SelectAndAct(TScanEngine& engine, const TSelectActPlan& plan, bool quiet) {
  for (const auto& step : plan.steps) engine.AutoSelect(step.rule, step.param);
  if (plan.kind == TActKind::akNone) return 0;
  if (!plan.allow_unsafe && RefuseUnsafe(engine)) return 1;

  const std::vector<IFileInfoPtr> targets = Targets(engine);
  const bool by_content = engine.GetScanner() && engine.GetScanner()->ExactMatch();
  if (plan.dry_run) {
    for (const auto& f : targets) {
      const TItemSafety safety =
          DestroysData(plan.kind) ? CheckItemSafety(f, by_content) : TItemSafety::isSafe;
      if (safety == TItemSafety::isSafe) {
        std::cerr << "would " << Verb(plan.kind) << ": " << f->GetFullName() << "\n";
      } else {
        std::cerr << "would leave: " << f->GetFullName()
                  << (safety == TItemSafety::isNoOriginal ? " (no original of its group is left)"
                                                          : " (changed since the scan)")
                  << "\n";
      }
    }
    if (!quiet) std::cerr << targets.size() << " files checked; nothing was changed (dry run)\n";
    return 0;
  }

  const bool show = !quiet && isatty(STDERR_FILENO);
  TProgressCallback progress;
  if (show) {
    progress = [&plan](const TProgressInfo& p) {
      std::fprintf(stderr, "\r\033[K%s: %d of %d files", Verb(plan.kind), p.Current, p.TotalItems);
      std::fflush(stderr);
    };
  }
  Act(engine, plan, progress);
  if (show) std::fputs("\r\033[K", stderr);

  // What is still checked and unresolved was not changed; say why where the
  // reason is known here, and leave the rest to the log.
  int acted = 0, changed = 0, no_original = 0, other = 0;
  for (const auto& f : targets) {
    if (f->IsResolved()) {
      ++acted;
      continue;
    }
    const TItemSafety safety =
        DestroysData(plan.kind) ? CheckItemSafety(f, by_content) : TItemSafety::isSafe;
    if (safety == TItemSafety::isChangedSinceScan) {
      ++changed;
    } else if (safety == TItemSafety::isNoOriginal) {
      ++no_original;
    } else {
      ++other;
    }
  }
  const int failed = changed + no_original + other;
  if (!quiet || failed > 0) {
    std::cerr << Verb(plan.kind) << ": " << acted << " files acted on, " << failed << " failed";
    if (failed > 0) {
      std::string why;
      auto add = [&why](int n, const char* text) {
        if (n > 0) why += (why.empty() ? "" : ", ") + std::to_string(n) + " " + text;
      };
      add(changed, "changed since the scan");
      add(no_original, "with no original left in their group");
      add(other, "could not be changed");
      std::cerr << " (" << why << "; the log in " << AppLog().LogDirectory() << " has the details)";
    }
    std::cerr << "\n";
  }
  return failed > 0 ? 1 : 0;
}

}  // namespace nrv::cli
