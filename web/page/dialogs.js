// The window's two modal dialogs: the Yes/No question a run asks, and the error report.
export function createDialogs(state) {
  const question = document.getElementById('question');
  const report = document.getElementById('errorReport');
  let asking = null; // the open question's answer, while a run waits for it
  let reportClosed = null;

  const yes = document.getElementById('Ano');
  const no = document.getElementById('Ne');
  yes.addEventListener('click', () => asking && asking(6));
  no.addEventListener('click', () => asking && asking(7));
  // While it asks, the question keeps the keys and the focus as a modal dialog would:
  // Escape answers Ne, Tab goes round its two buttons, and nothing else takes the focus.
  addEventListener('keydown', (e) => {
    if (!asking)
      return;
    if (e.key === 'Escape') {
      e.preventDefault();
      asking(7);
    } else if (e.key === 'Tab') {
      e.preventDefault();
      (document.activeElement === yes ? no : yes).focus();
    }
  }, { capture: true });
  document.addEventListener('focusin', (e) => { if (asking && !question.contains(e.target)) yes.focus(); });
  question.addEventListener('mousedown', (e) => { if (!e.target.closest('button')) e.preventDefault(); });
  document.getElementById('errorOk').addEventListener('click', () => report.close());

  return {
    get asking() { return asking !== null; },
    // vbYes (6) or vbNo (7), once answered
    ask(prompt) {
      document.getElementById('questionText').textContent = prompt;
      const started = performance.now();
      const focused = document.activeElement;
      return new Promise((resolve) => {
        asking = (code) => {
          asking = null;
          state.askingMs += performance.now() - started;
          // the focus goes back before the question closes, which then leaves the page to
          // be laid out at the next frame rather than at once for the focus, inside the run
          focused?.focus({ preventScroll: true });
          question.close();
          resolve(code);
        };
        // Shown above the cover that a running handler puts over the window, which takes
        // the clicks elsewhere, rather than as the browser's modal dialog: that makes the
        // whole page inert and restyles all of it when it opens and again when it closes,
        // inside the run (some 10 ms on a slow laptop).
        question.show();
        yes.focus();
      });
    },
    report(message) {
      state.reports.push(message);
      report.querySelector('.message').textContent = message;
      reportClosed = new Promise((resolve) => report.addEventListener('close', resolve, { once: true }));
      report.showModal();
    },
    // Resolves when the open report has been dismissed; null when none is open.
    takeReportClosed() {
      const closed = reportClosed;
      reportClosed = null;
      return closed;
    },
  };
}
