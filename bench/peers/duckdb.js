// One timed sort of DuckDB (@duckdb/node-api) on a CSV, for the benchmarks that pair
// their figures with it: node duckdb.js FILE COLUMN [THREADS]
// Reads FILE into a table untimed, then times the table sorted by COLUMN into a new one.
// Prints one JSON line as polars.js does.
const { DuckDBInstance } = require("@duckdb/node-api");
const [file, column, threads = "8"] = process.argv.slice(2);

(async () => {
  const db = await DuckDBInstance.create(":memory:", { threads });
  const con = await db.connect();
  const quoted = (name) => '"' + name.replace(/"/g, '""') + '"';
  await con.run("CREATE TABLE t AS SELECT * FROM read_csv('" + file.replace(/'/g, "''") + "')");
  const cpu0 = process.cpuUsage();
  const faults0 = process.resourceUsage().minorPageFault;
  const t0 = process.hrtime.bigint();
  await con.run("CREATE TABLE s AS SELECT * FROM t ORDER BY " + quoted(column));
  const seconds = Number(process.hrtime.bigint() - t0) / 1e9;
  const cpu = process.cpuUsage(cpu0);
  const use = process.resourceUsage();
  const rows = (await con.runAndReadAll("SELECT count(*) FROM s")).getRows()[0][0];
  console.log(JSON.stringify({ peer: "duckdb", step: "sort", seconds, user: cpu.user / 1e6,
                               system: cpu.system / 1e6, minorFaults: use.minorPageFault - faults0,
                               peakRssMb: use.maxRSS / 1024, rows: Number(rows), threads: Number(threads) }));
})();
