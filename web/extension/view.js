// The dialog's controls inside the popup or the panel: one ResultBrowser (page_logic.js)
// shown in the elements hint, text, answer, title and counter, paged by prev and next,
// copied by copy. `root` is the document or the panel's shadow root.
'use strict';

(function (exports) {
  class ResultView {
    constructor(root, browser) {
      this.root_ = root;
      this.browser_ = browser;
      this.byId_ = (id) => root.getElementById(id);
      this.byId_('prev').addEventListener('click', () => this.render(browser.previous()));
      this.byId_('next').addEventListener('click', () => this.render(browser.next()));
      this.byId_('copy').addEventListener('click', () => this.copy());
    }

    /// Shows a screen (text, answer, title, counter); only changed texts are written.
    render(screen) {
      for (const name of ['text', 'answer', 'title', 'counter']) {
        const element = this.byId_(name);
        if (element.textContent !== screen[name]) element.textContent = screen[name];
      }
    }

    setHint(text) {
      this.byId_('hint').textContent = text;
    }

    /// Loads the engine's last scan and shows its first record or its notice.
    load(engine) {
      this.render(this.browser_.load(engine));
    }

    /// Puts the answer on screen on the clipboard (whole, where it is shown cut).
    copy() {
      const text = this.browser_.copied();
      if (text === null) return;
      const host = this.root_.body || this.root_;
      const fallback = () => {
        const area = host.ownerDocument.createElement('textarea');
        area.value = text;
        area.setAttribute('readonly', '');
        area.style.position = 'fixed';
        area.style.opacity = '0';
        host.append(area);
        area.select();
        host.ownerDocument.execCommand('copy');
        area.remove();
      };
      if (navigator.clipboard && navigator.clipboard.writeText) {
        navigator.clipboard.writeText(text).catch(fallback);
      } else {
        fallback();
      }
    }
  }

  /// Fills the texts marked data-i18n (text), data-i18n-title and data-i18n-label
  /// (aria-label) from the extension's messages.
  function translate(root, getMessage) {
    for (const element of root.querySelectorAll('[data-i18n]'))
      element.textContent = getMessage(element.dataset.i18n);
    for (const element of root.querySelectorAll('[data-i18n-title]'))
      element.title = getMessage(element.dataset.i18nTitle);
    for (const element of root.querySelectorAll('[data-i18n-label]'))
      element.setAttribute('aria-label', getMessage(element.dataset.i18nLabel));
  }

  exports.ResultView = ResultView;
  exports.translate = translate;
})(globalThis.TalvorixView = {});
