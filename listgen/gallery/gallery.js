// The gallery page's viewer. Without this script every cell is a plain link
// to its image; with it, a click on a cell opens the image in a <dialog>
// over the page. A classic script, no modules, fetch or storage, so the page
// works from a folder on disk (a file: URL) as it does from a server.
//
// The URL fragment names the open image: "#12" is the 12th cell. Opening
// adds one history entry and stepping replaces it, so Back closes the viewer
// and a link to "page.html#12" opens the page at that image. Stepping stops
// at the first and the last image (it does not wrap), so a held-down arrow
// key comes to rest at the end instead of running round again.
(function () {
  'use strict';
  var grid = document.getElementById('g');
  var viewer = document.getElementById('v');
  if (!grid || !viewer || typeof viewer.showModal !== 'function') return;
  var image = document.getElementById('vi');
  var video = document.getElementById('vv');
  var nameText = document.getElementById('vn');
  var counter = document.getElementById('vc');
  var original = document.getElementById('vo');
  var previousButton = document.getElementById('vp');
  var nextButton = document.getElementById('vq');
  var closeButton = document.getElementById('vx');
  // The <li> cells in page order; cell n (from 1) has the id "n".
  var cells = grid.children;
  var current = 0;        // the shown cell's number; 0 while closed
  var pushed = false;     // opening added a history entry: closing goes back over it
  var hashTimer = 0;
  var ahead = [new Image(), new Image()];
  var swipe = null;

  function cellLink(n) { return cells[n - 1].firstElementChild; }
  function isVideo(n) { return cells[n - 1].className === 'v'; }
  // What the viewer shows: a copy a browser can show, when the cell names
  // one, otherwise the link's own target.
  function shownUrl(n) {
    var link = cellLink(n);
    return link.getAttribute('data-view') || link.getAttribute('href');
  }
  function numberInHash() {
    var match = /^#(\d+)$/.exec(location.hash);
    var n = match ? Number(match[1]) : 0;
    return n >= 1 && n <= cells.length ? n : 0;
  }

  function stopVideo() {
    if (!video.hasAttribute('src')) return;
    video.pause();
    video.removeAttribute('src');
    video.load();
  }

  // The next and previous images are fetched ahead, so a step shows them at once.
  function loadAhead(n, slot) {
    if (n >= 1 && n <= cells.length && !isVideo(n)) ahead[slot].src = shownUrl(n);
  }

  function show(n) {
    current = n;
    var name = cellLink(n).firstElementChild.alt;
    if (isVideo(n)) {
      image.hidden = true;
      image.removeAttribute('src');
      video.hidden = false;
      video.src = shownUrl(n);
    } else {
      stopVideo();
      video.hidden = true;
      image.hidden = false;
      image.alt = name;
      image.src = shownUrl(n);
    }
    nameText.textContent = name;
    counter.textContent = n + ' / ' + cells.length;
    original.href = cellLink(n).getAttribute('href');
    previousButton.setAttribute('aria-disabled', String(n === 1));
    nextButton.setAttribute('aria-disabled', String(n === cells.length));
    loadAhead(n + 1, 0);
    loadAhead(n - 1, 1);
  }

  // The fragment follows the steps a moment later: a held-down key makes
  // more steps a second than a browser lets a page rewrite its URL.
  function writeHash() {
    clearTimeout(hashTimer);
    hashTimer = 0;
    if (current) history.replaceState(history.state, '', '#' + current);
  }

  function step(n) {
    n = Math.max(1, Math.min(cells.length, n));
    if (!current || n === current) return;
    show(n);
    clearTimeout(hashTimer);
    hashTimer = setTimeout(writeHash, 250);
  }

  // While the viewer is open the grid is not drawn (see the style): with
  // thousands of cells under the dialog, every step would lay them out again.
  function open(n) {
    show(n);
    document.documentElement.classList.add('viewing');
    if (!viewer.open) viewer.showModal();
    closeButton.focus();
  }

  // However the dialog closed (Esc, the close button, Back), the fragment
  // goes and focus returns to the cell of the image last shown.
  viewer.addEventListener('close', function () {
    var n = current;
    if (!n) return;
    current = 0;
    clearTimeout(hashTimer);
    stopVideo();
    document.documentElement.classList.remove('viewing');
    if (pushed) {
      pushed = false;
      history.back();
    } else if (location.hash) {
      history.replaceState(history.state, '', location.pathname + location.search);
    }
    cellLink(n).focus();
  });

  grid.addEventListener('click', function (event) {
    if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey) return;
    var link = event.target.closest('a');
    // Only a cell's own link opens the viewer; a "Live" link stays a link.
    if (!link || link.parentNode.parentNode !== grid) return;
    event.preventDefault();
    var n = Number(link.parentNode.id);
    if (!current) {
      history.pushState(history.state, '', '#' + n);
      pushed = true;
    }
    open(n);
  });

  // Back, Forward, or a fragment typed in: open, step or close to match.
  window.addEventListener('hashchange', function () {
    var n = numberInHash();
    if (n && !current) {
      pushed = true;
      open(n);
    } else if (n) {
      show(n);
    } else if (current) {
      pushed = false;
      viewer.close();
    }
  });

  viewer.addEventListener('keydown', function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey || event.target === video) return;
    var to = { ArrowLeft: current - 1, ArrowRight: current + 1, Home: 1, End: cells.length }[event.key];
    if (to === undefined) return;
    event.preventDefault();
    step(to);
  });
  previousButton.addEventListener('click', function () { step(current - 1); });
  nextButton.addEventListener('click', function () { step(current + 1); });
  closeButton.addEventListener('click', function () { viewer.close(); });

  // A swipe: a touch or pen stroke mostly sideways and at least 40 pixels
  // long; to the left shows the next image. The dialog lets the browser
  // pinch-zoom but not pan, so the stroke reaches us whole.
  viewer.addEventListener('pointerdown', function (event) {
    if (event.pointerType !== 'mouse' && event.target !== video) {
      swipe = { id: event.pointerId, x: event.clientX, y: event.clientY };
    }
  });
  viewer.addEventListener('pointerup', function (event) {
    if (!swipe || swipe.id !== event.pointerId) return;
    var dx = event.clientX - swipe.x;
    var dy = event.clientY - swipe.y;
    swipe = null;
    if (Math.abs(dx) >= 40 && Math.abs(dx) > 1.5 * Math.abs(dy)) step(current + (dx < 0 ? 1 : -1));
  });
  viewer.addEventListener('pointercancel', function () { swipe = null; });

  // Opened at "#12": show that image at once. The browser takes focus away
  // once it has scrolled to the fragment's cell, after the page's load;
  // focus goes back into the viewer after that.
  var first = numberInHash();
  if (first) {
    open(first);
    window.addEventListener('load', function () {
      setTimeout(function () { if (current) closeButton.focus(); }, 0);
    });
  }
})();
