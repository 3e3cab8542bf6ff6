// One timed step of nodejs-polars on a CSV, for the benchmarks that pair their figures
// with it: node polars.js read|write|sort FILE [COLUMN|OUT]
//   read   times readCSV of FILE
//   write  reads FILE, then times writeCSV to OUT
//   write-flushed  as write, then flushes OUT to the disk (fsync) within the time, as
//          the editor's save does
//   sort   reads FILE, then times a sort of the frame by COLUMN
// Prints one JSON line: the step's seconds, the process's user and system seconds and
// minor faults over the step, its peak resident memory and the frame's rows.
const fs = require("fs");
const pl = require("nodejs-polars");
const [step, file, arg] = process.argv.slice(2);

function measure(work) {
  const cpu0 = process.cpuUsage();
  const faults0 = process.resourceUsage().minorPageFault;
  const t0 = process.hrtime.bigint();
  const result = work();
  const seconds = Number(process.hrtime.bigint() - t0) / 1e9;
  const cpu = process.cpuUsage(cpu0);
  const use = process.resourceUsage();
  return { result, seconds, user: cpu.user / 1e6, system: cpu.system / 1e6,
           minorFaults: use.minorPageFault - faults0, peakRssMb: use.maxRSS / 1024 };
}

let m;
if (step === "read") {
  m = measure(() => pl.readCSV(file));
} else {
  const df = pl.readCSV(file);
  if (step === "write") m = measure(() => (df.writeCSV(arg), df));
  else if (step === "write-flushed") {
    m = measure(() => {
      df.writeCSV(arg);
      const fd = fs.openSync(arg, "r+");
      fs.fsyncSync(fd);
      fs.closeSync(fd);
      return df;
    });
  }
  else if (step === "sort") m = measure(() => df.sort(arg));
  else throw new Error("unknown step " + step);
}
const { result, ...figures } = m;
console.log(JSON.stringify({ peer: "polars", step, ...figures, rows: result.height }));
