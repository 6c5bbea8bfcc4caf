// The engine behind a small interface: a report's bytes in, its records out (UTF-8).
// The bytes are handed to the module's in-memory file system without a copy and read
// back by path, so the page reads a report exactly as talvorix-cli does.
'use strict';

(function (exports) {
  const kReportPath = '/report';
  const kMissingPath = '/no-such-report';
  const kDecoder = new TextDecoder('utf-8');
  const kBatch = 4096;  // records fetched by one call of records()

  class Engine {
    constructor(module) {
      this.module_ = module;
      this.count_ = 0;
    }

    /// Reads a report from its bytes (a Uint8Array the engine may keep until the scan
    /// ends: the caller must not change it). Returns -1, 0 or the number of records.
    scan(bytes) {
      const fs = this.module_.FS;
      fs.writeFile(kReportPath, bytes, { canOwn: true });
      try {
        this.count_ = this.scanPath_(kReportPath);
      } finally {
        fs.unlink(kReportPath);
      }
      return this.count_;
    }

    /// A report whose bytes could not be read: the count of a file that cannot be opened.
    scanUnreadable() {
      this.count_ = this.scanPath_(kMissingPath);
      return this.count_;
    }

    /// -1, 0 or the number of records of the last scan.
    get count() {
      return this.count_;
    }

    /// Record k (1-based) of the last scan: text, answer, title and what copying takes.
    record(k) {
      const [text, answer, title, copied] = this.fields_(k);
      return { text, answer, title, copied };
    }

    /// Records from..to (1-based, both included) of the last scan, as record(k) gives
    /// them, fetched a few thousand at a time: one decoding for all of them.
    records(from, to) {
      const all = [];
      for (let first = from; first <= to; first += kBatch) {
        const module = this.module_;
        const at = module._talvorix_records(first, Math.min(to, first + kBatch - 1)) >> 2;
        const [start, size, lengthsAt, fields] = module.HEAPU32.subarray(at, at + 4);
        const text = kDecoder.decode(module.HEAPU8.subarray(start, start + size));
        const lengths = module.HEAPU32.subarray(lengthsAt >> 2, (lengthsAt >> 2) + fields);
        let offset = 0;
        const take = (i) => text.slice(offset, (offset += lengths[i]));
        for (let i = 0; i < fields; i += 4)
          all.push({ text: take(i), answer: take(i + 1), title: take(i + 2), copied: take(i + 3) });
      }
      return all;
    }

    /// The notice that stands for a count of -1 or 0.
    notice() {
      return this.fields_(0)[0];
    }

    scanPath_(path) {
      return this.module_.ccall('talvorix_scan', 'number', ['string'], [path]);
    }

    /// The four fields of record k (the notice for 0), decoded from the module's memory.
    fields_(k) {
      const at = this.module_._talvorix_record(k);
      if (at === 0) return ['', '', '', ''];
      const words = this.module_.HEAPU32;
      const bytes = this.module_.HEAPU8;
      const fields = [];
      for (let i = 0; i < 4; ++i) {
        const start = words[(at >> 2) + 2 * i];
        fields.push(kDecoder.decode(bytes.subarray(start, start + words[(at >> 2) + 2 * i + 1])));
      }
      return fields;
    }
  }

  /// Instantiates the WebAssembly module made by `moduleFactory` (TalvorixEngineModule).
  async function createEngine(moduleFactory) {
    const module = await moduleFactory({ print() {}, printErr() {} });
    return new Engine(module);
  }

  exports.createEngine = createEngine;
})(typeof module === 'object' ? module.exports : (globalThis.TalvorixEngine = {}));
