// The peers a benchmark pairs its figures with: dataframe and database libraries for
// Node.js, installed with npm into a folder outside the repository and named by the
// environment variable BENCH_PEERS (the folder that holds node_modules), e.g.
//
//   mkdir -p /tmp/peers && cd /tmp/peers && npm i nodejs-polars @duckdb/node-api
//   BENCH_PEERS=/tmp/peers build/bench/bench_store ...
//
// The few lines that time a peer are bench/peers/*.js; each run is a process of its
// own that prints one JSON line of figures. Without BENCH_PEERS, or without node or the
// package, the benchmark prints its own figures alone and says why.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#ifndef BENCH_SOURCE_DIR
#define BENCH_SOURCE_DIR "bench"
#endif

namespace bench {

struct PeerRun {
  bool ok = false;
  double seconds = 0, user = 0, system = 0, peakRssMb = 0;
  long minorFaults = 0;
  long long rows = 0;
};

// The folder named by BENCH_PEERS, or empty.
inline std::string peersFolder() {
  const char* folder = std::getenv("BENCH_PEERS");
  return folder ? folder : "";
}

// Empty when the npm package `name` can be run from the peers' folder, else why not.
inline std::string peerMissing(const std::string& name) {
  const std::string folder = peersFolder();
  if (folder.empty()) return "BENCH_PEERS is not set (see bench/BenchPeers.h)";
  if (!std::ifstream(folder + "/node_modules/" + name + "/package.json"))
    return name + " is not installed in " + folder;
  if (std::system("node --version >/dev/null 2>&1") != 0) return "node is not on PATH";
  return "";
}

// The number after "name": in a JSON line, or 0.
inline double jsonNumber(const std::string& line, const char* name) {
  const std::string tag = std::string("\"") + name + "\":";
  const size_t at = line.find(tag);
  return at == std::string::npos ? 0 : std::strtod(line.c_str() + at + tag.size(), nullptr);
}

// Runs bench/peers/`script` with `args` (already quoted for the shell) and reads its
// figures.
inline PeerRun runPeer(const char* script, const std::string& args) {
  const std::string command = "NODE_PATH='" + peersFolder() + "/node_modules' node '" BENCH_SOURCE_DIR "/peers/" +
                              script + "' " + args + " 2>&1";
  PeerRun run;
  FILE* out = popen(command.c_str(), "r");
  if (!out) return run;
  std::string text;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, out)) text += buf;
  const int status = pclose(out);
  const size_t line = text.rfind("{\"peer\"");
  if (status != 0 || line == std::string::npos) {
    std::fprintf(stderr, "%s failed: %s\n", script, text.c_str());
    return run;
  }
  const std::string json = text.substr(line);
  run.ok = true;
  run.seconds = jsonNumber(json, "seconds");
  run.user = jsonNumber(json, "user");
  run.system = jsonNumber(json, "system");
  run.peakRssMb = jsonNumber(json, "peakRssMb");
  run.minorFaults = long(jsonNumber(json, "minorFaults"));
  run.rows = (long long)jsonNumber(json, "rows");
  return run;
}

// A path quoted for the shell.
inline std::string shellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace bench
