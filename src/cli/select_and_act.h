#pragma once
// `norvalis-cli scan --select RULE ... --action ACTION`: check marks by the
// engine's selection rules after the scan, then one action on the checked files.
#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

#include "engine/scan_engine.h"

namespace nrv::cli {

// As given on the command line.
struct TSelectActOptions {
  std::vector<std::string> select;
  std::string action;
  bool allow_unsafe = false;
  bool dry_run = false;
};

void AddSelectActOptions(CLI::App& scan, TSelectActOptions& opts);

enum class TActKind { akNone, akTrash, akDelete, akMove, akRename, akLink };

// The options checked and resolved, before the scan starts.
struct TSelectActPlan {
  struct TStep {
    int rule = 0;
    std::pair<std::string, std::string> param;
  };
  std::vector<TStep> steps;
  TActKind kind = TActKind::akNone;
  std::string folder;  // the move destination, absolute, with its trailing "/"
  bool keep_structure = false;
  std::string add_text;
  bool use_suffix = false;
  bool allow_unsafe = false;
  bool dry_run = false;

  bool Empty() const { return steps.empty() && kind == TActKind::akNone; }
};

// False with a message for an unknown rule or action or a missing folder.
bool ParseSelectAct(const TSelectActOptions& opts, TSelectActPlan& plan, std::string& error);

// Applies the rules to the finished scan, then the action. Returns the exit
// status: 0, or 1 when the action was refused or a file could not be changed.
int SelectAndAct(TScanEngine& engine, const TSelectActPlan& plan, bool quiet);

}  // namespace nrv::cli
