// A newer version, once the service worker has installed it: the page says so and loads
// it when asked, never by itself. The notice lies under the cover, so during a run its
// button waits for the run's end like any other click. Returns `offer(worker)` and
// `register()`, which the page calls once its window is open and idle: the worker's
// setting up and its fetching are then not in the opening's way.
export function watchUpdates(state) {
  const notice = document.getElementById('update');
  let asked = false;
  const offer = (worker) => {
    state.update = true;
    notice.hidden = false;
    document.getElementById('reloadNew').onclick = () => {
      asked = true;
      // the worker takes over, and this page follows it to the new version
      if (worker)
        worker.postMessage('activate');
      else
        location.reload();
    };
  };
  if (!('serviceWorker' in navigator))
    return { offer, register: () => {} };
  const register = () => {
    const sw = navigator.serviceWorker;
    sw.addEventListener('controllerchange', () => { if (asked) location.reload(); });
    const watch = (worker) => worker && worker.addEventListener('statechange', () => {
      if (worker.state === 'installed' && sw.controller)
        offer(worker);
    });
    return sw.register('sw.js').then((registration) => {
      sw.controller?.postMessage('tidy');
      if (registration.waiting && sw.controller)
        offer(registration.waiting);
      watch(registration.installing);
      registration.addEventListener('updatefound', () => watch(registration.installing));
    }).catch(() => {});
  };
  return { offer, register };
}
