// service_worker.js: keeps one build's files in a cache of their own, so that after one visit the
// game starts with no network. The build writes 'use strict', BUILD (a digest of the whole site)
// and SITE_FILES (each file's name and SHA-256) in front of this code; any changed file makes a
// new BUILD, so the browser installs the new worker next to the running one.
//
// A page always gets every file from one build: the cache is filled from the server only when
// each file's digest is this build's (a host caught half way through an upload fails the install
// and the previous build stays), and a new worker takes over only once no page of the old build
// is open, then deletes the old build's cache.

// Constants
// The caches of this copy of the site: two copies in different folders of one host keep theirs
// apart, since the scope is part of the name.
var CACHE_PREFIX = 'velkarovantine ' + self.registration.scope + ' ';
var CACHE = CACHE_PREFIX + BUILD;
var PAGE = 'index.html';

// Static helpers
// The SITE_FILES entry a request asks for, or null: a GET inside this folder for one of the
// site's files, the folder itself meaning the page. The query is ignored.
function siteEntry(request) {
  var url = new URL(request.url);
  var scope = self.registration.scope;
  var path = url.origin + url.pathname;
  if (request.method !== 'GET' || !path.startsWith(scope)) {
    return null;
  }
  var name = path.slice(scope.length) || PAGE;
  return SITE_FILES.find(function(entry) {
    return entry[0] === name;
  }) || null;
}

// Fetches one of this build's files from the server, never from the HTTP cache (whose copy may
// be older than the server's clock can tell); fails unless the content has this build's digest.
function fetchEntry(entry) {
  var request = new Request(entry[0], {cache: 'reload', integrity: entry[1]});
  return fetch(request).then(function(response) {
    if (!response.ok) {
      throw new Error(entry[0] + ': HTTP ' + response.status);
    }
    if (!response.redirected) {
      return response;
    }
    // A host may send index.html by way of a redirect; a response marked as redirected cannot
    // answer a page load, so only its content and headers are kept.
    return new Response(response.body, {status: response.status, headers: response.headers});
  });
}

// Public functions
self.addEventListener('install', function(event) {
  event.waitUntil(Promise.all(SITE_FILES.map(fetchEntry)).then(function(responses) {
    return caches.open(CACHE).then(function(cache) {
      return Promise.all(responses.map(function(response, i) {
        return cache.put(SITE_FILES[i][0], response);
      }));
    });
  }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) {
      return name.startsWith(CACHE_PREFIX) && name !== CACHE;
    }).map(function(name) {
      return caches.delete(name);
    }));
  }));
});

// The site's files come from this build's cache; should one be missing there, from the server,
// but only with this build's content. Anything else goes to the network as usual.
self.addEventListener('fetch', function(event) {
  var entry = siteEntry(event.request);
  if (!entry) {
    return;
  }
  event.respondWith(caches.open(CACHE).then(function(cache) {
    return cache.match(entry[0]);
  }).then(function(cached) {
    return cached || fetchEntry(entry);
  }));
});
