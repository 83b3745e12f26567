// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// Keeps the page's files so that, after one visit, it starts and converts with no network. The
// network comes first, so a newer page is taken as soon as it can be fetched.
const CACHE = 'vorbix';
const FILES = ['./', 'index.html', 'page.css', 'page.js', 'converter.js', 'viewer.js', 'worker.js', 'picture_file.js',
  'vorbix.js', 'vorbix.wasm', 'icon.svg', 'icon-192.png', 'icon-512.png', 'manifest.webmanifest',
  'LICENSE.txt'];

self.addEventListener('install', (event) => {
  // The page has just fetched these: taken from the browser's cache, they cost no second download.
  const requests = FILES.map((file) => new Request(file, { cache: 'force-cache' }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(requests)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

// The network's answer, unless it fails or, with a copy kept, is slower than this.
const PATIENCE_MS = 4000;

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request, { ignoreSearch: true });
    const fresh = fetch(request).then(async (response) => {
      if (response.ok) await cache.put(request, response.clone());
      return response;
    });
    if (!kept) return fresh;
    const late = new Promise((resolve) => { setTimeout(() => resolve(kept), PATIENCE_MS); });
    return Promise.race([fresh.catch(() => kept), late]);
  })());
});
