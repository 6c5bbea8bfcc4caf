// The page's own logic, free of the DOM: paging through a report's records as the
// dialog does, the notices, what is copied, and which report of a watched folder is
// shown and when. page.js connects it to the page; tests run it under Node.
'use strict';

(function (exports) {
  const kIdleHint = 'Húzd rá a fordulót';
  const kWatchedHint = 'Figyelt mappa: ';
  const kStartTitle = '  Feladvány  ';
  const kNoticeTitle = ' Feladvány ';
  const kNoReportYet = 'Még nincs forduló ebben a mappában';

  /// How long a report's size and modification time must hold before it is shown.
  const kSettleMilliseconds = 300;
  /// How often a watched folder is looked at when nothing is awaited.
  const kPollMilliseconds = 1000;

  /// The screen's four texts: what the dialog's controls show.
  function startScreen() {
    return { text: '', answer: '', title: kStartTitle, counter: '' };
  }

  /// The records of one report on screen, one at a time. `report` is what the engine
  /// gives: count (-1, 0 or n), record(k) with text, answer, title and copied, and
  /// notice() for a count below 1.
  class ResultBrowser {
    constructor() {
      this.report_ = null;
      this.current_ = 0;
      this.screen_ = startScreen();
    }

    get screen() {
      return this.screen_;
    }

    /// Shows record 1 of a new report, or its notice; the screen that results.
    load(report) {
      this.report_ = report;
      this.current_ = 0;
      if (report.count >= 1) {
        this.show_(1);
      } else {
        this.screen_ = { text: report.notice(), answer: '', title: kNoticeTitle, counter: '' };
      }
      return this.screen_;
    }

    /// A notice of the page's own (a watched folder without reports); paging stops.
    showNotice(text) {
      this.report_ = null;
      this.current_ = 0;
      this.screen_ = { text, answer: '', title: kNoticeTitle, counter: '' };
      return this.screen_;
    }

    /// ">": the next record, the first after the last; nothing without records.
    next() {
      const count = this.count_();
      if (count >= 1) this.show_((this.current_ % count) + 1);
      return this.screen_;
    }

    /// "<": the previous record, the last before the first; nothing without records.
    previous() {
      const count = this.count_();
      if (count >= 1) this.show_(this.current_ - 1 === 0 ? count : this.current_ - 1);
      return this.screen_;
    }

    /// What "Megoldás másolása" copies: the whole answer on screen, or null when no
    /// record is shown.
    copied() {
      if (this.count_() < 1) return null;
      return this.record_.copied;
    }

    count_() {
      return this.report_ === null ? 0 : this.report_.count;
    }

    show_(k) {
      const record = this.report_.record(k);
      this.record_ = record;
      this.current_ = k;
      this.screen_ = {
        text: record.text,
        answer: record.answer,
        title: record.title,
        counter: `${k}/${this.report_.count}`,
      };
    }
  }

  function endsWithNoCase(name, suffix) {
    return name.length > suffix.length && name.toLowerCase().endsWith(suffix);
  }

  /// A saved report's name: .htm, .html, .mht or .mhtml in any letter case (a name that
  /// is only the extension is a hidden file, not a report).
  function isReportName(name) {
    return ['.htm', '.html', '.mht', '.mhtml'].some((extension) => endsWithNoCase(name, extension));
  }

  /// A download that a browser is still writing under a name of its own.
  function isPartialDownload(name) {
    return ['.part', '.crdownload', '.download', '.tmp'].some((extension) => endsWithNoCase(name, extension));
  }

  /// Whether a watched folder's file may be shown at all: a report, not a partial
  /// download, and not empty.
  function isWatchable(entry) {
    return isReportName(entry.name) && !isPartialDownload(entry.name) && entry.size > 0;
  }

  function newer(a, b) {
    if (a.lastModified !== b.lastModified) return a.lastModified > b.lastModified;
    return a.name > b.name;
  }

  /// Decides, look by look, which report of a watched folder to show. A report is shown
  /// once its size and modification time have held for kSettleMilliseconds; the one
  /// shown is the one that settled last as the watcher saw it. Modification time only
  /// ranks reports that settle at the same look, such as those present at the start:
  /// only the newest of those is shown.
  class FolderSettler {
    constructor() {
      this.seen_ = new Map();  // name -> { size, lastModified, since, done }
    }

    /// Takes a listing (entries with name, size and lastModified) made at `now`.
    /// Returns the entry to show now or null, and after how many milliseconds a look
    /// would settle an awaited report (0: none awaited).
    look(listing, now) {
      const present = new Set();
      for (const entry of listing) {
        if (!isWatchable(entry)) continue;
        present.add(entry.name);
        const before = this.seen_.get(entry.name);
        if (!before || before.size !== entry.size || before.lastModified !== entry.lastModified) {
          // New, or still changing: its wait starts again.
          this.seen_.set(entry.name, { size: entry.size, lastModified: entry.lastModified, since: now, done: false });
        }
      }
      // A removed file is forgotten; what is on screen stays.
      for (const name of [...this.seen_.keys()]) if (!present.has(name)) this.seen_.delete(name);

      let show = null;
      let wakeIn = 0;
      for (const entry of listing) {
        const state = this.seen_.get(entry.name);
        if (!state || state.done || !present.has(entry.name)) continue;
        const held = now - state.since;
        if (held >= kSettleMilliseconds) {
          state.done = true;
          if (show === null || newer(entry, show)) show = entry;
        } else if (wakeIn === 0 || kSettleMilliseconds - held < wakeIn) {
          wakeIn = kSettleMilliseconds - held;
        }
      }
      return { show, wakeIn };
    }

    /// Whether any report that may be shown is in the folder.
    get holdsReports() {
      return this.seen_.size > 0;
    }
  }

  /// The files of a directory handle (File System Access) that may be reports, each
  /// with its name, size, lastModified and handle; null when the folder cannot be read.
  async function listFolder(directory) {
    const listing = [];
    try {
      for await (const [name, handle] of directory.entries()) {
        if (handle.kind !== 'file' || !isReportName(name) || isPartialDownload(name)) continue;
        try {
          const file = await handle.getFile();
          listing.push({ name, size: file.size, lastModified: file.lastModified, handle });
        } catch {
          // Removed or unreadable between the listing and the look: not there.
        }
      }
    } catch {
      return null;
    }
    return listing;
  }

  /// Watches one directory handle: looks at once, then about once a second, sooner
  /// while a save settles. `onReport(file)` gets each report to show (a File);
  /// `onEmpty()` is called when the folder holds no report at the start.
  class FolderWatch {
    constructor(directory, { onReport, onEmpty, now = () => Date.now(), timers = globalThis }) {
      this.directory_ = directory;
      this.onReport_ = onReport;
      this.onEmpty_ = onEmpty;
      this.now_ = now;
      this.timers_ = timers;
      this.settler_ = new FolderSettler();
      this.timer_ = null;
      this.stopped_ = false;
      this.started_ = false;
    }

    /// The hint line while this folder is watched.
    get hint() {
      return kWatchedHint + this.directory_.name;
    }

    /// The first look; resolves when it is done.
    start() {
      return this.look_();
    }

    stop() {
      this.stopped_ = true;
      if (this.timer_ !== null) this.timers_.clearTimeout(this.timer_);
      this.timer_ = null;
    }

    async look_() {
      this.timer_ = null;
      if (this.stopped_) return;
      const listing = await listFolder(this.directory_);
      if (this.stopped_) return;
      let wakeIn = 0;
      // An unreadable folder (removed or renamed) leaves the screen as it is.
      if (listing !== null) {
        const look = this.settler_.look(listing, this.now_());
        wakeIn = look.wakeIn;
        if (!this.started_ && !this.settler_.holdsReports) this.onEmpty_();
        this.started_ = true;
        if (look.show !== null) {
          try {
            await this.onReport_(await look.show.handle.getFile());
          } catch {
            // Gone since the look: the next look decides again.
          }
        }
      }
      if (this.stopped_) return;
      const delay = wakeIn > 0 ? Math.min(wakeIn, kPollMilliseconds) : kPollMilliseconds;
      this.timer_ = this.timers_.setTimeout(() => this.look_(), delay);
    }
  }

  Object.assign(exports, {
    kIdleHint,
    kWatchedHint,
    kStartTitle,
    kNoticeTitle,
    kNoReportYet,
    kSettleMilliseconds,
    kPollMilliseconds,
    startScreen,
    ResultBrowser,
    isReportName,
    isPartialDownload,
    isWatchable,
    FolderSettler,
    listFolder,
    FolderWatch,
  });
})(typeof module === 'object' ? module.exports : (globalThis.TalvorixPage = {}));
