// The host's stand-in for the wait cursor and its progress line: on a terminal, what an export is
// doing (reading the model, meshing N faces, writing the scene, which model of how many), and the
// host command line (on standard output, its warnings on standard error), which must not run
// into it.
#pragma once

#include <cstddef>
#include <string>

/// While it exists, an export that has run for a second shows a progress line on standard error,
/// redrawn in place at most ten times a second, when standard error is a terminal and warnings
/// are not silenced (otherwise nothing is shown, and every function below only does its writing).
/// The line names the model ("[3/25] NAME" in a batch), its stage and its counters; it is erased
/// before any other text reaches the terminal and when the indicator ends. One at a time.
class ActivityIndicator {
 public:
  ActivityIndicator();
  /// Erases the line if it is shown and removes the wait-cursor, meshing and new-file observers.
  ~ActivityIndicator();
  ActivityIndicator(const ActivityIndicator&) = delete;
  ActivityIndicator& operator=(const ActivityIndicator&) = delete;

  /// Writes command-line text (UTF-8) and flushes it, moving the progress line, if shown, out of
  /// its way: lines starting "Warning:" (the plug-in's warnings) to standard error as
  /// "orvexport: warning: ...", or nowhere after SilenceWarnings; every other line (the export
  /// banner, the scene library's messages) to standard output. A line may come in pieces.
  /// Usable with or without an indicator.
  static void WriteCommandLine(const std::string& utf8);
  /// From now on, WriteCommandLine drops warnings (-q); an indicator made afterwards shows no
  /// progress either.
  static void SilenceWarnings();
  /// Writes `line` (one of orvexport's own messages, without its newline) to standard error,
  /// erasing the progress line first. Usable with or without an indicator.
  static void WriteError(const std::string& line);

  /// True while an indicator shows progress (or reports it to a batch's parent process).
  static bool Active();

  /// What the current model's export is doing.
  enum class Stage {
    reading,     // the converter reads the .3dm model
    converting,  // the converter turns what it read into a document
    loading,     // the document is being read into the host document
    exporting,   // the plug-in exports (meshing is counted on top)
    writing,     // the plug-in writes the scene (the size of its file so far is shown)
  };
  /// Starts the progress of model `number` (from 1) of `count`, named `name` (its file name is
  /// shown), at `stage`, its counters at zero.
  static void BeginModel(std::size_t number, std::size_t count, const std::string& name,
                         Stage stage);
  /// Moves the current model on to `stage` (never back from writing to exporting).
  static void SetStage(Stage stage);

  /// The reporting channel of a batch's worker processes, so that their text never runs into the
  /// parent's line. OpenWorkerChannel, in the parent before it forks: pauses the redrawing and
  /// returns the write end of a pipe (close-on-exec), or -1 when no progress is shown (workers
  /// then write as usual). ReportToParent, in each worker: the worker draws nothing and sends the
  /// model it starts, its command-line text and WriteError's text to the parent through `fd`.
  /// FollowWorkers, in the parent after the forks: closes `fd`, writes what the workers send and
  /// draws "[started/count] NAME" until they have all closed the channel (ended), then returns.
  static int OpenWorkerChannel();
  static void ReportToParent(int fd);
  static void FollowWorkers(int fd, std::size_t count);
};
