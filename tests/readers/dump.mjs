// Prints every user table of an Access database as JSON, read by the independent reader
// mdb-reader: { "tables": [ { "name", "columns": [{name, type, size}], "rows": [ {...} ] } ] }.
// Values: Date -> ISO text, binary -> hex text, everything else as mdb-reader gives it.
// Usage: node dump.mjs FILE [--password P] [--table NAME]
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const args = process.argv.slice(2);
let file = null;
let password;
let only;
for (let i = 0; i < args.length; i++) {
  if (args[i] === "--password") password = args[++i];
  else if (args[i] === "--table") only = args[++i];
  else file = args[i];
}
if (!file) {
  console.error("usage: node dump.mjs FILE [--password P] [--table NAME]");
  process.exit(2);
}

function plain(value) {
  if (value === null || value === undefined) return null;
  if (value instanceof Date) return value.toISOString();
  if (Buffer.isBuffer(value)) return value.toString("hex");
  if (typeof value === "bigint") return value.toString();
  return value;
}

try {
  const reader = new MDBReader(readFileSync(file), password === undefined ? {} : { password });
  const names = only ? [only] : reader.getTableNames();
  const tables = names.map((name) => {
    const table = reader.getTable(name);
    const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type, size: c.size }));
    const rows = table.getData().map((row) => {
      const out = {};
      for (const c of columns) out[c.name] = plain(row[c.name]);
      return out;
    });
    return { name, rowCount: table.rowCount, columns, rows };
  });
  process.stdout.write(JSON.stringify({ tables }, null, 1) + "\n");
} catch (e) {
  console.error(`mdb-reader: ${e.message}`);
  process.exit(1);
}
