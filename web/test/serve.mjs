// A static file server for the tests and the benchmark: serves one folder on 127.0.0.1 with
// the types a browser wants (application/wasm for streaming compilation).
import http from 'node:http';
import fs from 'node:fs/promises';
import path from 'node:path';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.json': 'application/json',
};

// Starts serving `root`; resolves to { url, requests (paths asked for), close() }.
export async function serve(root) {
  const requests = [];
  const server = http.createServer(async (request, response) => {
    const pathname = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    requests.push(pathname);
    const file = path.join(root, pathname === '/' ? 'index.html' : pathname);
    if (!file.startsWith(root)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await fs.readFile(file);
      response.writeHead(200, {
        'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    requests,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// Run directly (`node serve.mjs DIR`), serves DIR until killed and prints its address.
if (process.argv[1] && import.meta.url === new URL(`file://${process.argv[1]}`).href) {
  const { url } = await serve(path.resolve(process.argv[2] || '.'));
  console.log(url);
}
