// The engine behind a small interface: a report's bytes in, its records out (UTF-8).
// The bytes are handed to the module's in-memory file system without a copy and read
// back by path, so the page reads a report exactly as talvorix-cli does.
'use strict';

(function (exports) {
  const kReportPath = '/report';
  const kMissingPath = '/no-such-report';
  const kText = 0;
  const kAnswer = 1;
  const kTitle = 2;
  const kCopied = 3;

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
      return {
        text: this.field_(k, kText),
        answer: this.field_(k, kAnswer),
        title: this.field_(k, kTitle),
        copied: this.field_(k, kCopied),
      };
    }

    /// The notice that stands for a count of -1 or 0.
    notice() {
      return this.field_(0, kText);
    }

    scanPath_(path) {
      return this.module_.ccall('talvorix_scan', 'number', ['string'], [path]);
    }

    field_(k, field) {
      return this.module_.UTF8ToString(this.module_._talvorix_field(k, field));
    }
  }

  /// Instantiates the WebAssembly module made by `moduleFactory` (TalvorixEngineModule).
  async function createEngine(moduleFactory) {
    const module = await moduleFactory({ print() {}, printErr() {} });
    return new Engine(module);
  }

  exports.createEngine = createEngine;
})(typeof module === 'object' ? module.exports : (globalThis.TalvorixEngine = {}));
