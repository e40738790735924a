// The window's two modal dialogs: the Yes/No question a run asks, and the error report.
export function createDialogs(state) {
  const question = document.getElementById('question');
  const report = document.getElementById('errorReport');
  let asking = null; // the open question's answer, while a run waits for it
  let reportClosed = null;

  document.getElementById('Ano').addEventListener('click', () => asking && asking(6));
  document.getElementById('Ne').addEventListener('click', () => asking && asking(7));
  question.addEventListener('cancel', (e) => { e.preventDefault(); if (asking) asking(7); });
  document.getElementById('errorOk').addEventListener('click', () => report.close());

  return {
    get asking() { return asking !== null; },
    // vbYes (6) or vbNo (7), once answered
    ask(prompt) {
      document.getElementById('questionText').textContent = prompt;
      const started = performance.now();
      return new Promise((resolve) => {
        asking = (code) => {
          asking = null;
          state.askingMs += performance.now() - started;
          question.close();
          resolve(code);
        };
        question.showModal();
        document.getElementById('Ano').focus();
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
