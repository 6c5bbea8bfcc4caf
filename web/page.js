// Connects the page to the engine and to page_logic.js: files chosen, dropped or found
// in a watched folder, the keys, the buttons and copying.
'use strict';

(function () {
  const logic = globalThis.TalvorixPage;
  const byId = (id) => document.getElementById(id);
  const input = byId('report');
  const watchButton = byId('watch');
  const controls = {
    hint: byId('hint'),
    text: byId('text'),
    answer: byId('answer'),
    title: byId('title'),
    counter: byId('counter'),
  };

  const browser = new logic.ResultBrowser();
  const engineReady = globalThis.TalvorixEngine.createEngine(globalThis.TalvorixEngineModule).then((engine) => {
    performance.mark('talvorix-engine-ready');
    return engine;
  });
  let watch = null;
  let loads = 0;  // the latest load wins over one still reading its file

  function render(screen) {
    // Only changed texts are written, so the live region announces only a new answer.
    for (const name of ['text', 'answer', 'title', 'counter'])
      if (controls[name].textContent !== screen[name]) controls[name].textContent = screen[name];
  }

  function setHint(text) {
    controls.hint.textContent = text;
  }

  /// Reads a report from a File and shows it. An unreadable file shows "Nincs ilyen fájl".
  async function showFile(file) {
    const load = ++loads;
    performance.mark('talvorix-file');
    let bytes = null;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch {
      bytes = null;
    }
    const engine = await engineReady;
    if (load !== loads) return;
    if (bytes === null) {
      engine.scanUnreadable();
    } else {
      engine.scan(bytes);
    }
    render(browser.load(engine));
    performance.mark('talvorix-shown');
  }

  function stopWatching() {
    if (watch === null) return;
    watch.stop();
    watch = null;
    setHint(logic.kIdleHint);
  }

  function openFile(file) {
    stopWatching();
    return showFile(file);
  }

  async function startWatching(directory) {
    stopWatching();
    ++loads;  // a file still being read no longer replaces the folder's report
    const started = new logic.FolderWatch(directory, {
      onReport: (file) => (watch === started ? showFile(file) : undefined),
      onEmpty: () => {
        if (watch === started) render(browser.showNotice(logic.kNoReportYet));
      },
    });
    watch = started;
    setHint(started.hint);
    await started.start();
  }

  function copyAnswer() {
    const text = browser.copied();
    if (text === null) return;
    const fallback = () => {
      const area = document.createElement('textarea');
      area.value = text;
      area.setAttribute('readonly', '');
      area.style.position = 'fixed';
      area.style.opacity = '0';
      document.body.append(area);
      area.select();
      document.execCommand('copy');
      area.remove();
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(text).catch(fallback);
    } else {
      fallback();
    }
  }

  function chooseFile() {
    if (typeof input.showPicker === 'function') {
      try {
        input.showPicker();
        return;
      } catch {
        // Not allowed here: the click below opens the same chooser.
      }
    }
    input.click();
  }

  input.addEventListener('change', () => {
    const file = input.files && input.files[0];
    if (file) openFile(file);
    input.value = '';  // choosing the same file again reads it again
  });
  byId('prev').addEventListener('click', () => render(browser.previous()));
  byId('next').addEventListener('click', () => render(browser.next()));
  byId('copy').addEventListener('click', copyAnswer);

  if (typeof globalThis.showDirectoryPicker === 'function') {
    watchButton.hidden = false;
    watchButton.addEventListener('click', async () => {
      let directory = null;
      try {
        directory = await globalThis.showDirectoryPicker({ id: 'talvorix-reports', mode: 'read' });
      } catch {
        return;  // the chooser was cancelled
      }
      startWatching(directory);
    });
  }

  document.addEventListener('keydown', (event) => {
    const command = event.ctrlKey || event.metaKey;
    if (command && !event.altKey && !event.shiftKey && (event.key === 'o' || event.key === 'O')) {
      event.preventDefault();
      chooseFile();
    } else if (command && !event.altKey && (event.key === 'c' || event.key === 'C')) {
      // Text selected on the page is copied as usual; otherwise the answer.
      const selection = window.getSelection();
      if (selection && !selection.isCollapsed) return;
      event.preventDefault();
      copyAnswer();
    } else if (!command && !event.altKey && !event.shiftKey && event.key === 'ArrowLeft') {
      render(browser.previous());
    } else if (!command && !event.altKey && !event.shiftKey && event.key === 'ArrowRight') {
      render(browser.next());
    }
  });

  // A report dropped anywhere on the page; a dropped folder is watched where the
  // browser hands out folder handles.
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null) document.body.classList.remove('dropping');
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    const item = event.dataTransfer.items && event.dataTransfer.items[0];
    const file = event.dataTransfer.files[0];
    const handle =
      item && typeof item.getAsFileSystemHandle === 'function' && typeof globalThis.showDirectoryPicker === 'function'
        ? item.getAsFileSystemHandle()
        : null;
    if (handle) {
      handle.then(
        (h) => (h && h.kind === 'directory' ? startWatching(h) : file && openFile(file)),
        () => file && openFile(file),
      );
    } else if (file) {
      openFile(file);
    }
  });

  // Served over https the page installs and opens offline; opened from disk it needs
  // neither, and asks for nothing.
  if ('serviceWorker' in navigator && (location.protocol === 'https:' || location.hostname === 'localhost')) {
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }

  // What tests and the curious may look at: the page's logic in use.
  globalThis.talvorixPage = { browser, showFile, startWatching, stopWatching };
})();
