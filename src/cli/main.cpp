#include <CLI/CLI.hpp>

#include <iostream>

#include "services/product_name.h"

int main(int argc, char** argv) {
  CLI::App app{std::string(nrv::kProductName) + " finds duplicate files and helps remove them safely.",
               "norvalis-cli"};
  app.set_version_flag("--version", std::string(nrv::kProductName) + " " + nrv::kProductVersion);
  app.require_subcommand(0, 1);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }
  if (argc == 1) std::cout << app.help();
  return 0;
}
