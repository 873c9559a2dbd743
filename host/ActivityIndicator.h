// The host's stand-in for the wait cursor: a "working..." line on standard error while a plug-in
// shows the wait cursor, and the host command line (on standard output, its warnings on standard
// error), which must not run into it.
#pragma once

#include <string>

/// While it exists, the wait cursor of every application object shows as a line on standard
/// error, when standard error is a terminal (otherwise nothing is shown). One at a time.
class ActivityIndicator {
 public:
  ActivityIndicator();
  /// Erases the line if it is shown and removes the wait-cursor handler.
  ~ActivityIndicator();
  ActivityIndicator(const ActivityIndicator&) = delete;
  ActivityIndicator& operator=(const ActivityIndicator&) = delete;

  /// Writes command-line text (UTF-8) and flushes it, moving the indicator line, if shown, out of
  /// its way: lines starting "Warning:" (the plug-in's warnings) to standard error as
  /// "orvexport: warning: ...", or nowhere after SilenceWarnings; every other line (the export
  /// banner, the scene library's messages) to standard output. A line may come in pieces.
  /// Usable with or without an indicator.
  static void WriteCommandLine(const std::string& utf8);
  /// From now on, WriteCommandLine drops warnings (-q).
  static void SilenceWarnings();
};
