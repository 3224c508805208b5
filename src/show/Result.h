// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>

namespace kalvetro {

// What an operation that can fail gives back: done, or the message that tells the operator
// why not (in the console's words, ready for a message box, the status line or standard
// error). Files, settings, the remotes' start and the start-up of the console report failure
// this way; nothing that fails says so by a bare false or an exception across a boundary.
struct Result {
  bool ok = true;
  std::string error;
  static Result Ok() { return {}; }
  static Result Fail(std::string message) { return {false, std::move(message)}; }
};

}  // namespace kalvetro
