// Types of the ES module `cyrvert` (cyrvert.js): the engine of Cyrvert as WebAssembly. Every
// byte result is what cyrvert-cli writes for the same input and options.

/** A code page by number (0 win, 1 dos, 2 koi, 3 iso, 4 utf8) or by name ("koi8-r", "cp866", ...). */
export type Page = number | string;
export type Bytes = Uint8Array | ArrayBuffer | ArrayBufferView;

export interface RepairReport {
  /** "repaired", "not damaged", "cannot repair", "empty" (or "partly repaired"). */
  verdict: string;
  /** Step codes in repair order, "U2W,K2W"; empty when nothing was done. */
  steps: string;
  /** The damage in words; empty when nothing was done. */
  explain: string;
  /** 0..1 */
  confidence: number;
  /** cyrvert-cli repair's exit status: 0 repaired or not damaged, 3 cannot repair, 4 empty. */
  exitStatus: number;
  /** The page `output` is written in: "win", "dos", "koi", "iso" or "utf8". */
  page: string;
  /** The bytes cyrvert-cli repair writes. */
  output: Uint8Array;
  /** `output` as a string. */
  text: string;
}

export interface Candidate {
  /** "(K2W,W2D)", as decode --list prints it. */
  history: string;
  score: number;
  /** The whole text decoded by this chain, in the target page. */
  output: Uint8Array;
  /** Its start, as decode --list shows it. */
  preview: string;
}

export interface DecodeReport {
  /** 0 found, 2 an option out of range, 3 nothing found, 4 fewer than 10 upper-half bytes. */
  status: number;
  /** decode's message when status is not 0. */
  message: string;
  candidates: Candidate[];
}

export interface CodecResult {
  ok: boolean;
  /** What cyrvert-cli writes (what was decoded before an error). */
  output: Uint8Array;
  /** cyrvert-cli's message on failure, empty on success. */
  error: string;
  /** uu import: the name on the begin line. */
  fileName: string;
}

export interface Engine {
  /** Smart repair of bytes (as cyrvert-cli repair) or of a string (text that arrived as characters). */
  repair(input: Bytes | string, options?: { target?: Page }): RepairReport;
  /** The variant search, as cyrvert-cli decode --list. */
  decode(bytes: Bytes, options?: { depth?: number; sense?: number; nBest?: number;
                                   target?: Page; bigLetters?: boolean }): DecodeReport;
  /** One of the twelve conversions ("W2K", "K2D", ...); RangeError for another code. */
  translate(bytes: Bytes, code: string): Uint8Array;
  /** Sets the eighth bit of every byte. */
  setEighthBit(bytes: Bytes): Uint8Array;
  /** "utf7", "utf8", "qp", "base64", "uu", "unix". */
  codecNames(): string[];
  importCodec(codec: string, bytes: Bytes): CodecResult;
  exportCodec(codec: string, bytes: Bytes, options?: { name?: string }): CodecResult;
  /** Page number 0..4; RangeError for an unknown name. */
  pageByName(page: Page): number;
  /** Bytes of a page as a string. */
  pageToText(bytes: Bytes, page?: Page): string;
  /** A string as bytes of a page ("?" for characters it lacks). */
  textToPage(text: string, page?: Page): Uint8Array;
}

/** An engine of its own over a compiled module or the bytes of cyrvert.wasm. */
export function createEngine(wasm: WebAssembly.Module | BufferSource): Engine;

export const repair: Engine['repair'];
export const decode: Engine['decode'];
export const translate: Engine['translate'];
export const setEighthBit: Engine['setEighthBit'];
export const codecNames: Engine['codecNames'];
export const importCodec: Engine['importCodec'];
export const exportCodec: Engine['exportCodec'];
export const pageByName: Engine['pageByName'];
export const pageToText: Engine['pageToText'];
export const textToPage: Engine['textToPage'];
declare const engine: Engine;
export default engine;
